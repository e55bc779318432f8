#include "dsp/HilbertShifter.h"

#include "dsp/VoiceCutoff.h"

#include <algorithm>
#include <cmath>

HilbertShifter::HilbertShifter (DSPContext& ctx)
    : KWDSPModuleBase (ctx),
      chainA { { 0.02569f, -0.260502f }, { -1.8685f, 0.870686f } },
      chainB { { -1.94632f, 0.94657f }, { -0.83774f, 0.06338f } }
{
}

void HilbertShifter::reset() noexcept
{
    theta = 0.0f;
    for (auto* chain : { chainA, chainB })
        for (int i = 0; i < 2; ++i)
            chain[i].clear();
}

float HilbertShifter::shiftHz (float cutoff) noexcept
{
    return std::min (voiceCutoffHz (cutoff) * 4.0f, 21000.0f) / 100.0f;
}

void HilbertShifter::process (float* x, int n) noexcept
{
    const float omega = shiftHz (shiftCutoff) / sampleRate * 6.2831855f;
    const float cosOmega = std::cos (omega);
    const float sinOmega = std::sin (omega);
    float c = std::cos (theta - omega);
    float s = std::sin (theta - omega);
    const float dry = 1.0f - mix;
    // Both all-pass chains and the rotation run in one pass over the block:
    // their recursions are independent, so they overlap in the processor.
    for (int i = 0; i < n; ++i)
    {
        const float in = x[i];
        const float a = chainA[1].tick (chainA[0].tick (in));
        const float b = chainB[1].tick (chainB[0].tick (in));
        const float c2 = c * cosOmega - s * sinOmega;
        const float s2 = s * cosOmega + c * sinOmega;
        c = c2;
        s = s2;
        theta += omega;
        x[i] = (a * c - b * s) * mix + dry * in;
    }
    theta = std::fmod (theta, 6.2831854820251465f);
}
