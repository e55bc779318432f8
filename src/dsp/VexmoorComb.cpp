#include "dsp/VexmoorComb.h"

#include "dsp/SafeMath.h"
#include "dsp/VectorOps.h"

#include <cmath>

VexmoorComb::VexmoorComb (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

float VexmoorComb::loopGain (float fb) noexcept
{
    if (fb >= 0.0f)
        return 1.0f - 0.95f * (1.0f - fb) * (1.0f - fb);
    return -0.95f * (1.0f - (1.0f + fb) * (1.0f + fb));
}

void VexmoorComb::process (float* x, int n, const float* freqHz) noexcept
{
    if (n <= 0)
        return;
    constexpr int mask = kRingSize - 1;
    float* r = ring.get();
    if (resetPending)
    {
        writeIndex = 0;
        vec::fill (r, x[0], kRingSize);
        resetPending = false;
    }

    const float g = loopGain (feedback);
    const int start = writeIndex;
    for (int i = 0; i < n; ++i)
    {
        // Delays longer than the ring wrap around it.
        const float p = (float) (start + kRingSize + i) - sampleRate / freqHz[i];
        const int at = floorToInt (p);
        const float frac = p - (float) at;
        const float delayed = r[at & mask] * (1.0f - frac) + r[(at + 1) & mask] * frac;
        const float out = x[i] + g * delayed;
        r[writeIndex] = out;
        writeIndex = (writeIndex + 1) & mask;
        x[i] = out;
    }
}
