#include "dsp/BiqFilter.h"

#include <algorithm>

namespace
{
BiquadCoefficients::Shape shapeFor (int mode)
{
    switch (mode)
    {
        case BiqFilter::highPass: return BiquadCoefficients::Shape::highPass;
        case BiqFilter::peak: return BiquadCoefficients::Shape::peakPlus24dB;
        case BiqFilter::bandPassZeroDb: return BiquadCoefficients::Shape::bandPassZeroDb;
        default: return BiquadCoefficients::Shape::lowPass;
    }
}
} // namespace

BiqFilter::BiqFilter (DSPContext& ctx, int initialMode) : KWDSPModuleBase (ctx), mode (initialMode) {}

void BiqFilter::process (float freq, float bandwidth, float* buf, int n) noexcept
{
    const auto c = BiquadCoefficients::design (shapeFor (mode), freq, bandwidth, sampleRate);
    for (int pos = 0; pos < n; pos += BiquadSection::kMaxChunk)
        section.process (buf + pos, std::min (BiquadSection::kMaxChunk, n - pos), c);
}
