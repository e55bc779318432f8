#include "effects/PhaserFx.h"

#include "dsp/VectorOps.h"
#include "effects/EffectBlock.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.141592653589793;
// The sweep phase wraps at 2 pi as a float.
constexpr float kTwoPiFloat = 6.2831854820251465f;

/** One channel's sample through the four all-pass stages with feedback;
    returns the chain's output (the channel's new feedback memory). */
inline float allPassChain (float* s, float& last, float in, float a, float feedbackGain) noexcept
{
    // Each stage is the all-pass (-a + z^-1) / (1 - a z^-1).
    float v = in + feedbackGain * last;
    for (int k = 0; k < 4; ++k)
    {
        const float y = s[k] - a * v;
        s[k] = EffectBlock::snapToZero (a * y + v);
        v = y;
    }
    last = EffectBlock::snapToZero (v);
    return last;
}
} // namespace

PhaserFx::PhaserFx (DSPContext& ctx)
    : KWDSPModuleBase (ctx),
      sweepHigh (1600.0f / (sampleRate / 2.0f)),
      sweepLow (440.0f / (sampleRate / 2.0f))
{
}

void PhaserFx::setSweepFromControl (float control) noexcept
{
    const double c = (double) EffectBlock::clampUnit (control);
    const double hz = (std::pow (10.0, c) - 1.0) / 9.0 * 9.99899959564209 + 0.0010000000474974513;
    sweepRate = (float) (2.0 * kPi * hz / (double) sampleRate);
}

void PhaserFx::reset() noexcept
{
    left = {};
    right = {};
}

float PhaserFx::coefficientAt (float theta) const noexcept
{
    const float m = (std::sin (theta) + 1.0f) * 0.5f * (sweepHigh - sweepLow) + sweepLow;
    return (1.0f - m) / (1.0f + m);
}

void PhaserFx::process (float* buffer, int n) noexcept
{
    EffectBlock::forEachPass (buffer, n, [this] (float* b, int frames) { processPass (b, frames); });
}

void PhaserFx::processPass (float* x, int n) noexcept
{
    const float span = (float) n * sweepRate;

    const float a0 = coefficientAt (sweepPhase);
    const float a1 = coefficientAt (sweepPhase + span);
    vec::ramp (coefLeft.get(), a0, (a1 - a0) / (float) n, n);

    // The quarter-cycle offset is added in double and rounded to float.
    const float rightPhase = (float) ((double) sweepPhase + kPi / 2.0);
    const float b0 = coefficientAt (rightPhase);
    const float b1 = coefficientAt (rightPhase + span);
    vec::ramp (coefRight.get(), b0, (b1 - b0) / (float) n, n);

    sweepPhase = std::fmod (sweepPhase + span, kTwoPiFloat);

    runChannels (x, n);
}

void PhaserFx::runChannels (float* x, int n) noexcept
{
    // Both channels in one loop: two independent chains keep the processor busy.
    Channel l = left, r = right;
    const float* cl = coefLeft.get();
    const float* cr = coefRight.get();
    const float fb = feedback;
    const float wet = depth;
    for (int i = 0; i < n; ++i)
    {
        const float inL = x[2 * i];
        const float inR = x[2 * i + 1];
        x[2 * i] = inL + wet * allPassChain (l.state, l.last, inL, cl[i], fb);
        x[2 * i + 1] = inR + wet * allPassChain (r.state, r.last, inR, cr[i], fb);
    }
    left = l;
    right = r;
}
