#include "effects/ChorusEffect.h"

#include "dsp/VectorOps.h"
#include "effects/EffectBlock.h"

namespace
{
// Full depth sweeps the delay by up to 350 samples either side of 350.
constexpr float kDepthSamples = 350.0f;
// Write positions below this are read as if one ring further on, so that
// the longest delay (700 samples) never reaches before the ring's start.
constexpr int kLongestDelay = 701;
} // namespace

ChorusEffect::ChorusEffect (DSPContext& ctx) : KWDSPModuleBase (ctx), lfo (ctx) {}

void ChorusEffect::reset() noexcept
{
    lineLeft.clear();
    lineRight.clear();
}

void ChorusEffect::process (float* buffer, int n) noexcept
{
    EffectBlock::forEachPass (buffer, n, [this] (float* b, int frames) { processPass (b, frames); });
}

void ChorusEffect::processPass (float* x, int n) noexcept
{
    lfo.setFreq (EffectBlock::clampUnit (rate) * 0.25f, sampleRate);

    const int p0 = writePos;
    float* inLeft = lineLeft.get();
    float* inRight = lineRight.get();
    writePos = EffectBlock::writeLines (inLeft, inRight, kLineLength, writePos, x, n);

    const float* mod = lfo.render (n);

    const float d0 = depthSmoothed;
    depthSmoothed = EffectBlock::snapToZero (0.2f * EffectBlock::clampUnit (depth) + 0.8f * d0);
    float* dep = depthRamp.get();
    vec::ramp (dep, kDepthSamples * d0, (depthSmoothed - d0) * kDepthSamples / (float) n, n);

    float* pos = basePositions.get();
    const float base = (float) p0 + (p0 < kLongestDelay ? (float) kLineLength : 0.0f);
    vec::ramp (pos, base, 1.0f, n);

    float* q = readPositions.get();
    float* wetLeft = wet.get();
    float* wetRight = wet.get() + n;

    // Left: the right input, delayed by dep * (1 + mod).
    vec::addScalar (q, mod, 1.0f, n);
    vec::multiply (q, dep, q, n);
    vec::subtract (q, pos, q, n);
    EffectBlock::readInterpolated (wetLeft, inRight, kLineLength, q, n);

    // Right: the left input, delayed by dep * (1 - mod).
    vec::scale (q, mod, -1.0f, n);
    vec::addScalar (q, q, 1.0f, n);
    vec::multiply (q, dep, q, n);
    vec::subtract (q, pos, q, n);
    EffectBlock::readInterpolated (wetRight, inLeft, kLineLength, q, n);

    for (int i = 0; i < n; ++i)
    {
        x[2 * i] = 0.75f * x[2 * i] + 0.75f * wetLeft[i];
        x[2 * i + 1] = 0.75f * x[2 * i + 1] + 0.75f * wetRight[i];
    }
}
