#pragma once

#include <complex>
#include <vector>

/** A plain radix-2 complex FFT in double precision, for building tables at
    start-up and for measuring spectra (never on the audio thread). */
namespace Fft
{
/** In place; the size must be a power of two. The inverse includes 1/N. */
void transform (std::vector<std::complex<double>>& data, bool inverse);
} // namespace Fft
