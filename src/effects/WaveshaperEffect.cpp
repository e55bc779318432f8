#include "effects/WaveshaperEffect.h"

#include "dsp/VectorOps.h"
#include "effects/EffectBlock.h"

WaveshaperEffect::WaveshaperEffect (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void WaveshaperEffect::process (float* buffer, int n) noexcept
{
    EffectBlock::forEachPass (buffer, n, [this] (float* b, int frames) { processPass (b, frames); });
}

void WaveshaperEffect::processPass (float* x, int frames) noexcept
{
    const int values = 2 * frames;
    float* u = scaled.get();
    float* w = shaped.get();

    // Drive is kept to 0..1 so the knee b^4 never reaches 0 (0 / 0 on silence).
    const float b = 1.0f - 0.9f * EffectBlock::clampUnit (drive);
    const float knee = (b * b) * (b * b);

    vec::scale (u, x, 1.0051534f, values);
    vec::abs (w, u, values);
    vec::addScalar (w, w, knee, values);
    vec::divide (w, u, w, values);

    // Both gains are computed in double and rounded to float on purpose;
    // 32600 / 32768 is the wet level at full mix.
    const float m = EffectBlock::clampUnit (mix);
    const double mixSquared = (double) m * (double) m;
    const float wetGain = (float) (mixSquared * 32600.0 / 32768.0);
    const float dryGain = (float) (1.0 - mixSquared);

    vec::scale (w, w, wetGain, values);
    vec::scalarMultiplyAdd (x, dryGain, x, w, values);
}
