#include "dsp/KWResonator.h"

#include <cmath>

KWResonator::KWResonator (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void KWResonator::reset() noexcept
{
    vPrev = 0.0f;
    yPrev = 0.0f;
}

void KWResonator::process (float* x, int n, float freqHz, float amount) noexcept
{
    k = (float) -std::cos (2.0 * M_PI * (double) freqHz / (double) sampleRate);
    for (int i = 0; i < n; ++i)
    {
        const float in = x[i];
        const float v = in - 0.92f * yPrev;
        const float y = k * v + vPrev - k * yPrev;
        vPrev = v;
        yPrev = y;
        x[i] = in - amount * y;
    }
}
