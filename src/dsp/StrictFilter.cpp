#include "dsp/StrictFilter.h"

#include "dsp/VectorOps.h"

#include <algorithm>

StrictFilter::StrictFilter (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void StrictFilter::processAdd (const float* in, float* out, float gain, int n, float freq, float bandwidth) noexcept
{
    const auto c = BiquadCoefficients::design (BiquadCoefficients::Shape::bandPassZeroDb, freq, bandwidth, sampleRate);
    float* band = scratch.get();
    n = std::min (n, kMaxBlock);
    vec::copy (band, in, n);
    for (int pos = 0; pos < n; pos += BiquadSection::kMaxChunk)
        section.process (band + pos, std::min (BiquadSection::kMaxChunk, n - pos), c);
    if (gain != 1.0f)
        vec::scale (band, band, gain, n);
    vec::add (out, out, band, n);
}
