#include "dsp/MinimumPhaseStep.h"

#include "dsp/Fft.h"

#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

namespace
{
using Complex = std::complex<double>;

/** Modified Bessel function of the first kind, order 0 (for the Kaiser window). */
double besselI0 (double x)
{
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 60; ++k)
    {
        term *= (x / 2.0) / k;
        sum += term * term;
    }
    return sum;
}

// Long enough that the cepstrum does not wrap around: 32 times the kernel.
constexpr std::size_t kTransformSize = 1 << 16;
// Floor of the magnitude before the logarithm, far below the stop band.
constexpr double kMagnitudeFloor = 1e-9;
} // namespace

void MinimumPhaseStep::design (float* step)
{
    using namespace MinimumPhaseStep;
    const int taps = kOversampling * kLengthSamples;

    // Linear-phase prototype: windowed sinc at the oversampled rate, unit DC gain.
    std::vector<double> kernel ((std::size_t) taps);
    const double centre = (taps - 1) / 2.0;
    const double windowNorm = besselI0 (kKaiserBeta);
    double sum = 0.0;
    for (int i = 0; i < taps; ++i)
    {
        const double t = (i - centre) / kOversampling;
        const double x = 2.0 * kCutoff * t;
        const double sinc = std::fabs (x) < 1e-12 ? 1.0 : std::sin (M_PI * x) / (M_PI * x);
        const double r = (i - centre) / centre;
        const double window = besselI0 (kKaiserBeta * std::sqrt (std::fmax (0.0, 1.0 - r * r))) / windowNorm;
        kernel[(std::size_t) i] = sinc * window;
        sum += kernel[(std::size_t) i];
    }

    // Real cepstrum of the magnitude response, folded onto positive quefrencies:
    // the minimum-phase filter with the same magnitude.
    std::vector<Complex> spectrum (kTransformSize);
    for (int i = 0; i < taps; ++i)
        spectrum[(std::size_t) i] = kernel[(std::size_t) i] / sum;
    Fft::transform (spectrum, false);
    for (auto& v : spectrum)
        v = std::log (std::fmax (std::abs (v), kMagnitudeFloor));
    Fft::transform (spectrum, true);
    for (std::size_t i = 1; i < kTransformSize / 2; ++i)
        spectrum[i] *= 2.0;
    for (std::size_t i = kTransformSize / 2 + 1; i < kTransformSize; ++i)
        spectrum[i] = 0.0;
    Fft::transform (spectrum, false);
    for (auto& v : spectrum)
        v = std::exp (v);
    Fft::transform (spectrum, true);

    // The running sum of the impulse is the step; scale it to settle at 1.
    std::vector<double> integrated ((std::size_t) kPoints);
    double acc = 0.0;
    for (int i = 0; i < kPoints; ++i)
    {
        acc += spectrum[(std::size_t) i].real();
        integrated[(std::size_t) i] = acc;
    }
    const double last = integrated[(std::size_t) kPoints - 1];
    for (int i = 0; i < kPoints; ++i)
        step[i] = (float) (integrated[(std::size_t) i] / last);
    step[kPoints - 1] = 1.0f;
}
