#include "dsp/HSawComponent.h"

#include "dsp/DspRandom.h"
#include "dsp/SafeMath.h"

#include <algorithm>
#include <cmath>

namespace
{
// The seven saws' pitch ratios at full detune; the centre one is the note.
constexpr float kBaseRatios[HSawComponent::kSaws] = {
    0.8899767994880676f, 0.9371156096458435f, 0.980476438999176f, 1.0f,
    1.0199122428894043f, 1.062165379524231f, 1.107452392578125f
};
constexpr int kCentre = 3;
constexpr double kTwoTo32 = 4294967296.0;
} // namespace

void HSawComponent::sumSaws (float* out, int n) noexcept
{
    // A wrapping 32-bit phase read as a signed number is a saw of +-2^31. Each
    // sample adds the seven saws up in lane order (the eighth lane never moves
    // and adds nothing); the first pass sums lanes 0 to 3, the second adds 4, 5
    // and 6 to that, so that the phases stay in registers while the samples
    // run through the vector unit side by side.
    std::uint32_t p0 = phase[0], p1 = phase[1], p2 = phase[2], p3 = phase[3];
    {
        const std::uint32_t i0 = increment[0], i1 = increment[1], i2 = increment[2], i3 = increment[3];
        const float g0 = gains[0], g1 = gains[1], g2 = gains[2], g3 = gains[3];
        for (int s = 0; s < n; ++s)
        {
            p0 += i0;
            p1 += i1;
            p2 += i2;
            p3 += i3;
            out[s] = (float) (std::int32_t) p0 * g0 + (float) (std::int32_t) p1 * g1 + (float) (std::int32_t) p2 * g2
                     + (float) (std::int32_t) p3 * g3;
        }
    }
    std::uint32_t p4 = phase[4], p5 = phase[5], p6 = phase[6];
    {
        const std::uint32_t i4 = increment[4], i5 = increment[5], i6 = increment[6];
        const float g4 = gains[4], g5 = gains[5], g6 = gains[6];
        for (int s = 0; s < n; ++s)
        {
            p4 += i4;
            p5 += i5;
            p6 += i6;
            out[s] = out[s] + (float) (std::int32_t) p4 * g4 + (float) (std::int32_t) p5 * g5
                     + (float) (std::int32_t) p6 * g6;
        }
    }
    phase[0] = p0;
    phase[1] = p1;
    phase[2] = p2;
    phase[3] = p3;
    phase[4] = p4;
    phase[5] = p5;
    phase[6] = p6;
}

HSawComponent::HSawComponent (DSPContext& ctx) : KWDSPModuleBase (ctx)
{
    for (int i = 0; i < kSaws; ++i)
        ratios[i] = (kBaseRatios[i] - 1.0f) / 64.0f + 1.0f;
}

void HSawComponent::reset() noexcept
{
    for (int i = 0; i < kSaws; ++i)
    {
        const double u = (double) DspRandom::next() / DspRandom::kMax * 0.8;
        phase[i] = (std::uint32_t) (std::int64_t) (u * kTwoTo32); // low 32 bits
    }
    phase[kSaws] = 0;
    highPass.reset();
    detuneKnob = -1.0f;
}

double HSawComponent::detuneAmount (float d) noexcept
{
    static constexpr double kCoefficients[12] = {
        0.0030115596, 0.6717417634, -24.1878824391, 404.2703938388, -3425.0836591318,
        17019.951858008, -53046.9642751875, 106649.6679158292, -138150.6761080548,
        111363.4808729368, -50818.8652045924, 10028.7312891634
    };
    double o = kCoefficients[0];
    for (int power = 1; power < 12; ++power)
    {
        // Each power of the knob is rounded to float before it is weighted.
        const float p = (float) std::pow ((double) d, power);
        o += kCoefficients[power] * (double) p;
    }
    return o;
}

const float* HSawComponent::render (const float* freq, float detune, float mix, int n) noexcept
{
    n = std::clamp (n, 0, kMaxBlock);
    renderUnfiltered (freq, detune, mix, n);
    float* out = output.get();
    highPass.process (out, n, highPassCoefficients);
    return out;
}

void HSawComponent::highPassTogether (HSawComponent* const* saws, int count, int n) noexcept
{
    n = std::clamp (n, 0, kMaxBlock);
    count = std::clamp (count, 0, kMaxTogether);
    BiquadSection* sections[kMaxTogether];
    float* data[kMaxTogether];
    const BiquadCoefficients* designs[kMaxTogether];
    for (int k = 0; k < count; ++k)
    {
        sections[k] = &saws[k]->highPass;
        data[k] = saws[k]->output.get();
        designs[k] = &saws[k]->highPassCoefficients;
    }
    BiquadSection::processSideBySide (sections, data, designs, count, n);
}

const float* HSawComponent::renderUnfiltered (const float* freq, float detune, float mix, int n) noexcept
{
    n = std::clamp (n, 0, kMaxBlock);
    float* out = output.get();
    if (n == 0)
        return out;

    detune = clampOrLow (detune, 0.0f, 1.0f);
    mix = clampOrLow (mix, 0.0f, 1.0f);
    if (detune != detuneKnob)
    {
        const float o = (float) detuneAmount (detune);
        for (int i = 0; i < kSaws; ++i)
            ratios[i] = (kBaseRatios[i] - 1.0f) * o + 1.0f;
        detuneKnob = detune;
    }

    // Gains include the scaling of a signed 32-bit phase to +-0.5.
    const float scale = (float) (1.0 / kTwoTo32);
    const float centreGain = (0.99785f - 0.55366f * mix) * scale;
    const float sideGain = (-0.73764f * mix * mix + 1.2841f * mix + 0.044372f) * scale;
    for (int i = 0; i < kSaws; ++i)
        gains[i] = i == kCentre ? centreGain : sideGain;
    gains[kSaws] = 0.0f;

    const float a = clampOrLow (freq[0], 1e-5f, 0.45f);
    for (int i = 0; i < kSaws; ++i)
        increment[i] = (std::uint32_t) (std::int64_t) ((double) (ratios[i] * a) * kTwoTo32);
    increment[kSaws] = 0;

    sumSaws (out, n);

    // The high-pass at the fundamental, one octave wide: its design only
    // changes with the note's frequency.
    if (a != highPassFrequency || sampleRate != highPassRate)
    {
        highPassCoefficients = BiquadCoefficients::design (BiquadCoefficients::Shape::highPass, a * sampleRate, bandwidth,
                                                           sampleRate);
        highPassFrequency = a;
        highPassRate = sampleRate;
    }
    return out;
}
