#include "effects/RotarySpeakersSimulator.h"

#include "dsp/VectorOps.h"
#include "effects/EffectBlock.h"

#include <cmath>

RotarySpeakersSimulator::RotarySpeakersSimulator (DSPContext& ctx) : KWDSPModuleBase (ctx), lfo (ctx) {}

void RotarySpeakersSimulator::clear() noexcept
{
    lineLeft.clear();
    lineRight.clear();
}

void RotarySpeakersSimulator::process (float* buffer, int n) noexcept
{
    EffectBlock::forEachPass (buffer, n, [this] (float* b, int frames) { processPass (b, frames); });
}

void RotarySpeakersSimulator::processPass (float* x, int n) noexcept
{
    // Both exponents are rounded to float before the power, on purpose.
    const float swing = (float) std::pow (2.0, (double) (10.0f * EffectBlock::clampUnit (depth)));
    const float spin = (float) std::pow (2.0, (double) (9.0f * EffectBlock::clampUnit (rate))) * 0.125f;
    lfo.setFreq (spin, sampleRate);

    const int p0 = writePos;
    float* inLeft = lineLeft.get();
    float* inRight = lineRight.get();
    writePos = EffectBlock::writeLines (inLeft, inRight, kLineLength, writePos, x, n);

    const float* mod = lfo.render (n);

    const float newest = (float) (p0 - 1);
    float base = newest - swing;
    if (newest - 3.0f * swing < 0.0f)
        base += (float) kLineLength;

    float* q = readPositions.get();
    float* wl = wetLeft.get();
    float* wr = wetRight.get();

    vec::ramp (q, base, 1.0f, n);
    vec::scalarMultiplyAdd (q, swing, mod, q, n);
    EffectBlock::readInterpolated (wl, inLeft, kLineLength, q, n);

    vec::ramp (q, base, 1.0f, n);
    vec::scalarMultiplyAdd (q, -swing, mod, q, n);
    EffectBlock::readInterpolated (wr, inRight, kLineLength, q, n);

    for (int i = 0; i < n; ++i)
    {
        const float l = wl[i] * (1.0f + mod[i]);
        const float r = wr[i] * (1.0f - mod[i]);
        x[2 * i] = l + 0.7f * r;
        x[2 * i + 1] = r + 0.7f * l;
    }
}
