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
    float gains[kLanes];
    for (int i = 0; i < kSaws; ++i)
        gains[i] = i == kCentre ? centreGain : sideGain;
    gains[kSaws] = 0.0f;

    const float a = clampOrLow (freq[0], 1e-5f, 0.45f);
    for (int i = 0; i < kSaws; ++i)
        increment[i] = (std::uint32_t) (std::int64_t) ((double) (ratios[i] * a) * kTwoTo32);
    increment[kSaws] = 0;

    for (int s = 0; s < n; ++s)
    {
        float sum = 0.0f;
        for (int i = 0; i < kLanes; ++i)
        {
            phase[i] += increment[i];
            sum += (float) (std::int32_t) phase[i] * gains[i];
        }
        out[s] = sum;
    }

    // High-pass at the fundamental, one octave wide, history kept across blocks.
    const auto c = BiquadCoefficients::design (BiquadCoefficients::Shape::highPass, a * sampleRate, bandwidth, sampleRate);
    for (int pos = 0; pos < n; pos += BiquadSection::kMaxChunk)
        highPass.process (out + pos, std::min (BiquadSection::kMaxChunk, n - pos), c);
    return out;
}
