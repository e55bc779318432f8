#include "effects/B3EQEffect.h"

#include "effects/EffectBlock.h"

#include <cmath>

namespace
{
// The equaliser's own angle constant (not pi): its band edges depend on it.
constexpr double kAngle = 3.14593;

float onePoleCoefficient (float freq, float sampleRate)
{
    // The quotient is taken in float, the rest in double, stored as float.
    return (float) (2.0 * std::sin ((double) (freq / sampleRate) * kAngle));
}

/** Four one-pole low-passes in series; returns the last one's output. */
inline float fourPoles (float* s, float in, float coef) noexcept
{
    for (int k = 0; k < 4; ++k)
    {
        s[k] = EffectBlock::snapToZero (s[k] + (in - s[k]) * coef);
        in = s[k];
    }
    return in;
}
} // namespace

B3EQEffect::B3EQEffect (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void B3EQEffect::reset() noexcept
{
    left = {};
    right = {};
}

void B3EQEffect::process (float* x, int n) noexcept
{
    const float low = EffectBlock::clampUnit (eqLow);
    const float high = EffectBlock::clampUnit (eqHigh);
    lowGain = low * low * 4.0f;
    highGain = high * high * 4.0f;
    midGain = 1.0f;
    lowCoef = onePoleCoefficient (lowFreq, sampleRate);
    highCoef = onePoleCoefficient (highFreq, sampleRate);

    // Both channels in one loop: two independent chains keep the processor busy.
    Channel l = left, r = right;
    int index = delayIndex;
    for (int i = 0; i < n; ++i)
    {
        x[2 * i] = equalise (l, x[2 * i], index);
        x[2 * i + 1] = equalise (r, x[2 * i + 1], index);
        index = index == 2 ? 0 : index + 1;
    }
    delayIndex = index;
    left = l;
    right = r;
}

float B3EQEffect::equalise (Channel& c, float in, int index) const noexcept
{
    const float lowBand = fourPoles (c.lowState, in, lowCoef);
    const float lp = fourPoles (c.highState, in, highCoef);
    // The input of three samples earlier; its slot then takes this one.
    const float d = c.inputDelay[index];
    c.inputDelay[index] = in;

    const float highBand = d - lp;
    const float mid = d - (highBand + lowBand);
    return mid * midGain + lowBand * lowGain + highBand * highGain;
}
