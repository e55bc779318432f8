#include "dsp/StrictFilter.h"

#include "dsp/VectorOps.h"

#include <algorithm>

StrictFilter::StrictFilter (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void StrictFilter::processAdd (const float* in, float* out, float gain, int n, float freq, float bandwidth) noexcept
{
    const auto c = BiquadCoefficients::design (BiquadCoefficients::Shape::bandPassZeroDb, freq, bandwidth, sampleRate);
    float* band = scratch.get();
    // Longer blocks run as consecutive slices of the work buffer.
    for (int start = 0; start < n; start += kMaxBlock)
    {
        const int count = std::min (kMaxBlock, n - start);
        vec::copy (band, in + start, count);
        for (int pos = 0; pos < count; pos += BiquadSection::kMaxChunk)
            section.process (band + pos, std::min (BiquadSection::kMaxChunk, count - pos), c);
        if (gain != 1.0f)
            vec::scale (band, band, gain, count);
        vec::add (out + start, out + start, band, count);
    }
}
