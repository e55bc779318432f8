#include "dsp/HilbertShifter.h"

#include "dsp/VectorOps.h"
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

void HilbertShifter::AllPassSection::run (float* data, int n) noexcept
{
    // Second-order all-pass: b0 = a2, b1 = a1, b2 = 1.
    for (int i = 0; i < n; ++i)
    {
        const float in = data[i];
        const float out = a2 * in + a1 * x1 + x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = in;
        y2 = y1;
        y1 = out;
        data[i] = out;
    }
}

float HilbertShifter::shiftHz (float cutoff) noexcept
{
    return std::min (voiceCutoffHz (cutoff) * 4.0f, 21000.0f) / 100.0f;
}

void HilbertShifter::process (float* x, int n) noexcept
{
    float* a = copyA.get();
    float* b = copyB.get();
    for (int pos = 0; pos < n; pos += kMaxBlock)
    {
        const int count = std::min (kMaxBlock, n - pos);
        float* block = x + pos;
        vec::copy (a, block, count);
        vec::copy (b, block, count);
        for (auto& section : chainA)
            section.run (a, count);
        for (auto& section : chainB)
            section.run (b, count);

        const float omega = shiftHz (shiftCutoff) / sampleRate * 6.2831855f;
        const float cosOmega = std::cos (omega);
        const float sinOmega = std::sin (omega);
        float c = std::cos (theta - omega);
        float s = std::sin (theta - omega);
        const float dry = 1.0f - mix;
        for (int i = 0; i < count; ++i)
        {
            const float c2 = c * cosOmega - s * sinOmega;
            const float s2 = s * cosOmega + c * sinOmega;
            c = c2;
            s = s2;
            theta += omega;
            block[i] = (a[i] * c - b[i] * s) * mix + dry * block[i];
        }
        theta = std::fmod (theta, 6.2831854820251465f);
    }
}
