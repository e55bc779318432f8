#include "dsp/ADSREnvelope.h"

#include "dsp/SafeMath.h"
#include "dsp/VectorOps.h"

#include <algorithm>
#include <cmath>

namespace
{
void fillPowers (float* powers, float& power32, float factor)
{
    for (int i = 0; i < ADSREnvelope::kGroup; ++i)
        powers[i] = (float) std::pow ((double) factor, i);
    power32 = (float) std::pow ((double) factor, ADSREnvelope::kGroup);
}
} // namespace

ADSREnvelope::ADSREnvelope (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void ADSREnvelope::setParams (float a, float d, float s, float r)
{
    a = clampOrLow (a, 0.0f, kMaxSeconds);
    d = clampOrLow (d, 0.01f, kMaxSeconds);
    s = clampOrLow (s, 0.0f, 1.0f);
    r = clampOrLow (r, 0.0f, kMaxSeconds);

    releaseArmed = -1;
    level = 0.0f;
    stage = attackStage;
    sustain = s;

    // The attack lasts whole groups of 32 samples; one shorter than a group
    // starts at full level like an attack below 1 ms.
    const int samples = a < 0.001f ? 0 : ((int) (sampleRate * a) / kGroup) * kGroup;
    if (samples == 0)
    {
        stage = decayStage;
        level = 1.0f;
    }
    else
    {
        attackSamples = samples;
        attackInc = 1.0f / (float) samples;
    }

    // ln(0.1): the decay covers 90 % of its way, the release falls to 10 %, in
    // their times. The logarithms are rounded to float, the factors too.
    const float k = (float) std::log (0.1) - (float) std::log (1.0);
    const auto decayFactor = (float) ((double) k / ((double) sampleRate * d) + 1.0);
    fillPowers (decayPow, decayPow32, decayFactor);
    decayPhase = 0;

    // A release shorter than a few samples would give a negative factor: it
    // then drops to silence at once.
    const double releaseSamples = (double) sampleRate * r;
    auto releaseFactor = releaseSamples > 0.0 ? (float) ((double) k / releaseSamples + 1.0) : 0.0f;
    releaseFactor = clampOrLow (releaseFactor, 0.0f, 1.0f);
    fillPowers (releasePow, releasePow32, releaseFactor);
    releasePhase = 0;
}

float* ADSREnvelope::process (int n)
{
    n = std::clamp (n, 0, kMaxBlock);
    float* out = output.get();
    if (n == 0)
        return out;

    int pos = 0;
    if (stage == attackStage)
    {
        const int k = std::min (n, attackSamples);
        vec::ramp (out, level, attackInc, k);
        attackSamples -= k;
        // The next block goes on from the next step of the ramp.
        level += (float) k * attackInc;
        if (attackSamples <= 0)
            stage = decayStage;
        pos = k;
    }

    if (stage == decayStage && pos < n)
    {
        const float range = 1.0f - sustain;
        for (int j = pos; j < n; ++j)
        {
            out[j] = sustain + range * decayPow[decayPhase];
            if (++decayPhase == kGroup)
            {
                vec::scale (decayPow, decayPow, decayPow32, kGroup);
                decayPhase = 0;
            }
        }
        if (releaseArmed >= 0)
            stage = releaseStage;
        level = out[n - 1];
        pos = n;
    }

    if (stage == releaseStage && pos < n)
    {
        for (int j = pos; j < n; ++j)
        {
            out[j] = level * releasePow[releasePhase];
            if (++releasePhase == kGroup)
            {
                vec::scale (releasePow, releasePow, releasePow32, kGroup);
                releasePhase = 0;
            }
        }
    }
    return out;
}
