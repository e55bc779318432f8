#include "dsp/KWDownsampler.h"

#include "dsp/VoiceCutoff.h"

#include <algorithm>

KWDownsampler::KWDownsampler (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void KWDownsampler::reset() noexcept
{
    accumulator = 0.0f;
    held = 0.0f;
}

int KWDownsampler::holdLength (float rate) const noexcept
{
    const float samples = sampleRate / voiceCutoffHz (rate);
    if (! (samples < (float) kMaxHold))
        return kMaxHold;
    return std::max (1, (int) samples);
}

void KWDownsampler::process (float rate, float mix, float* x, int n) noexcept
{
    const int hold = holdLength (rate);
    if (hold == 1)
        return;
    const float dry = 1.0f - mix;
    for (int i = 0; i < n; ++i)
    {
        accumulator += x[i];
        x[i] = x[i] * dry + held;
        if (--countdown <= 0)
        {
            held = (accumulator / (float) hold) * mix;
            accumulator = 0.0f;
            countdown = hold;
        }
    }
}
