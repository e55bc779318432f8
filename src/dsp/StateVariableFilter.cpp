#include "dsp/StateVariableFilter.h"

#include "dsp/SafeMath.h"
#include "dsp/VectorOps.h"
#include "dsp/VoiceCutoff.h"

#include <algorithm>
#include <cmath>

StateVariableFilter::StateVariableFilter (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void StateVariableFilter::reset() noexcept
{
    low = 0.0f;
    band = 0.0f;
}

void StateVariableFilter::process (float* x, const float* cutoff, int n, float resonance) noexcept
{
    vec::clip (x, x, -2.0f, 2.0f, n);
    const float r = 0.9f * clampOrLow (resonance, 0.0f, 1.0f);
    const float resonanceDamp = (1.0f - std::pow (r, 0.25f)) * 2.0f;

    for (int pos = 0; pos < n; pos += kChunk)
    {
        const int count = std::min (kChunk, n - pos);
        const float f = std::clamp (voiceCutoffHz (cutoff[pos]), 20.0f, 20000.0f);
        // Rounded to float: the saturation of the band path, none above 10 kHz.
        const float sat = std::max (0.0f, (float) ((1.0 - (double) f / 10000.0) * 0.1));
        const float g = 2.0f * std::sin ((float) M_PI * std::min (f / (2.0f * sampleRate), 0.25f));
        const float q1 = 2.0f / g - 0.56f * g;
        const float damp = std::min ({ q1, 2.0f, resonanceDamp });

        float* block = x + pos;
        for (int i = 0; i < count; ++i)
        {
            const float in = block[i];
            // Two passes per sample with the same input: the filter runs at
            // twice the sample rate.
            const float low1 = low + g * band;
            float high = in - low1 - damp * band;
            band = band + g * high - sat * band * band * band;
            const float low2 = low1 + g * band;
            high = in - low2 - damp * band;
            band = band + g * high - sat * band * band * band;
            low = low2;
            block[i] = (low1 + low2) * 0.5f;
        }
    }
}
