#include "effects/SineLfo.h"

#include <cmath>

namespace
{
constexpr double kTwoPi = 6.283185307179586;
}

SineLfo::SineLfo (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void SineLfo::setFreq (float newFreq, float newRateHz) noexcept
{
    freq = newFreq;
    rateHz = newRateHz;
}

const float* SineLfo::render (int n) noexcept
{
    n = n < kMaxValues ? n : kMaxValues;
    const float increment = rateHz > 0.0f ? freq / rateHz : 0.0f;
    float* o = out.get();
    for (int i = 0; i < n; ++i)
    {
        // The sine is taken in double and rounded to float on purpose: the
        // modulation of stored sounds follows these values.
        o[i] = (float) std::sin (kTwoPi * (double) phase);
        phase += increment;
        if (phase > 1.0f)
            phase -= 1.0f;
    }
    return o;
}
