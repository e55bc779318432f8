#include "FilterTestRig.h"

#include "dsp/DSPContext.h"
#include "dsp/FilterFX.h"
#include "dsp/FormantTable.h"
#include "dsp/HilbertShifter.h"
#include "dsp/KWDownsampler.h"
#include "dsp/VexmoorComb.h"
#include "params/ParameterTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace dsptest;

namespace
{
using Unit = FilterRig;

std::vector<float> impulse (int n)
{
    std::vector<float> x ((size_t) n, 0.0f);
    x[0] = 1.0f;
    return x;
}
} // namespace

TEST (FilterFXComb, FeedbackSignFollowsTheResonance)
{
    // Delay = sr / (2 f): 2205 Hz at the comb gives a delay of exactly 10 samples.
    struct Case
    {
        float resonance;
        float loopGain;
    };
    const Case cases[] = { { 0.0f, 0.05f }, { 1.0f, -0.95f }, { 0.5f, -0.95f * 0.75f } };
    for (const auto& c : cases)
    {
        EXPECT_FLOAT_EQ (VexmoorComb::loopGain (-c.resonance), c.loopGain);

        Unit unit (FilterFX::combType);
        auto x = std::vector<float> (64, 0.0f);
        x[1] = 1.0f; // the first sample fills the ring on reset; keep it silent
        const float u = cutoffFor (44100.0 / 10.0 / 2.0);
        unit.run (x, u, c.resonance, 64);
        const float delay = 44100.0f / (2.0f * cutoffToHz (u));
        EXPECT_NEAR (delay, 10.0f, 1e-2f);
        // The echo lands 10 samples after the impulse, shared with a neighbour
        // by the fractional delay.
        const float echo = x[10] + x[11] + x[12];
        EXPECT_NEAR (echo, c.loopGain, 0.02f) << c.resonance;
        EXPECT_GT (echo * c.loopGain, 0.0f);
    }
}

TEST (FilterFXComb, LowestPeakSitsAtTheCutoff)
{
    Unit unit (FilterFX::combType);
    const float u = cutoffFor (500.0);
    const double atCutoff = unit.gainAt (500.0, u, 0.9f);
    Unit other (FilterFX::combType);
    const double between = other.gainAt (1000.0, u, 0.9f);
    EXPECT_GT (atCutoff, 10.0);
    EXPECT_LT (between, atCutoff - 20.0);
}

TEST (FilterFXFormant, TableRowsBlendByCutoff)
{
    const auto top = FormantTable::at (1.0f);
    const auto beyond = FormantTable::at (7.0f);
    for (int j = 0; j < FormantTable::kColumns; ++j)
    {
        EXPECT_EQ (top.values[j], FormantTable::row (4)[j]);
        EXPECT_EQ (beyond.values[j], FormantTable::row (4)[j]);
    }
    const auto half = FormantTable::at (0.125f);
    EXPECT_FLOAT_EQ (half.values[0], 0.5f * (650.0f + 400.0f));
    EXPECT_FLOAT_EQ (half.values[1], 0.5f * (1080.0f + 1700.0f));
    EXPECT_FLOAT_EQ (half.values[4], 0.5f * (-6.0f - 14.0f));
    EXPECT_FLOAT_EQ (half.values[8], 0.5f * (120.0f + 100.0f));
    const auto bottom = FormantTable::at (-3.0f);
    EXPECT_EQ (bottom.values[0], 650.0f);
}

TEST (FilterFXFormant, PeaksAtTheVowelFormants)
{
    // Row 0 (cutoff 0): 650, 1080 and 2650 Hz, the first loudest.
    Unit unit (FilterFX::formant);
    const double f1 = unit.gainAt (650.0, 0.0f, 0.5f);
    Unit u2 (FilterFX::formant);
    const double valley = u2.gainAt (1800.0, 0.0f, 0.5f);
    Unit u3 (FilterFX::formant);
    const double f3 = u3.gainAt (2650.0, 0.0f, 0.5f);
    EXPECT_GT (f1, valley + 10.0);
    EXPECT_GT (f3, valley);
    EXPECT_GT (f1, f3);
}

TEST (FilterFXFormant, SecondFormantTypePeaksAtCutoffAndHarmonics)
{
    const float u = cutoffFor (400.0);
    auto gain = [&] (double hzAt) {
        Unit unit (FilterFX::formant2);
        return unit.gainAt (hzAt, u, 0.8f);
    };
    const double base = gain (400.0), second = gain (800.0), third = gain (1200.0);
    const double between = gain (1000.0);
    EXPECT_GT (base, between + 10.0);
    EXPECT_GT (second, between + 6.0);
    EXPECT_GT (third, between + 3.0);
}

TEST (FilterFXWaveshaper, CubicCurveOnTheDrivenClippedInput)
{
    struct Case
    {
        float resonance;
        float drive;
    };
    for (const Case c : { Case { 0.0f, 1.0f }, Case { 1.0f, 256.0f }, Case { 0.5f, 16.0f } })
    {
        Unit unit (FilterFX::waveshaper);
        std::vector<float> x = { -2.0f, -0.5f, -0.01f, 0.0f, 0.003f, 0.25f, 0.9f, 3.0f };
        const auto in = x;
        unit.run (x, 0.3f, c.resonance, (int) x.size());
        for (size_t i = 0; i < x.size(); ++i)
        {
            const float v = std::clamp (in[i] * c.drive, -1.0f, 1.0f);
            EXPECT_FLOAT_EQ (x[i], 1.5f * v - 0.5f * v * v * v) << c.resonance << " " << in[i];
        }
    }
}

TEST (FilterFXResonator, AllPassLoopSubtractedFromTheDrySignal)
{
    Unit unit (FilterFX::resonatorType);
    const float u = cutoffFor (1000.0);
    auto x = impulse (32);
    x[5] = 0.3f;
    const auto in = x;
    unit.run (x, u, 0.7f, 32);
    const float f = std::min (2.0f * cutoffToHz (u), 21000.0f);
    const auto k = (float) -std::cos (2.0 * M_PI * f / 44100.0);
    float vPrev = 0.0f, yPrev = 0.0f;
    for (size_t i = 0; i < in.size(); ++i)
    {
        const float v = in[i] - 0.92f * yPrev;
        const float y = k * v + vPrev - k * yPrev;
        vPrev = v;
        yPrev = y;
        EXPECT_FLOAT_EQ (x[i], in[i] - 0.7f * y) << i;
    }
}

TEST (FilterFXResampler, OneSamplePeriodLeavesTheSignalUnchanged)
{
    Unit unit (FilterFX::resampler);
    auto x = sine (cycles (1234.0), 1024);
    const auto in = x;
    // Rate 1 is about 19.9 kHz: sr / fr = 2.2 -> 2 samples; above that 1.
    unit.run (x, 1.2f, 1.0f);
    EXPECT_EQ (x, in);

    DSPContext context;
    KWDownsampler downsampler (context);
    EXPECT_EQ (downsampler.holdLength (1.2f), 1);
    EXPECT_EQ (downsampler.holdLength (1.0f), 2);
    EXPECT_EQ (downsampler.holdLength (0.0f), 1378);
}

TEST (FilterFXResampler, HoldsTheAverageOfThePreviousPeriod)
{
    DSPContext context;
    KWDownsampler downsampler (context);
    // Rate for a hold of 4 samples: sr / 4 = 11025 Hz.
    const float rate = cutoffFor (11025.0 * 0.999);
    ASSERT_EQ (downsampler.holdLength (rate), 4);
    std::vector<float> x = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };
    downsampler.process (rate, 1.0f, x.data(), (int) x.size());
    // The first sample ends the (empty) countdown and holds its own average.
    const std::vector<float> expected = { 0, 1.0f / 4, 1.0f / 4, 1.0f / 4, 1.0f / 4, 14.0f / 4, 14.0f / 4, 14.0f / 4,
                                          14.0f / 4, 30.0f / 4, 30.0f / 4, 30.0f / 4 };
    for (size_t i = 0; i < x.size(); ++i)
        EXPECT_FLOAT_EQ (x[i], expected[i]) << i;
}

TEST (FilterFXResampler, LowPassResampleUsesTheResonanceAsRate)
{
    // The one-octave low-pass, then half dry, half held at the rate of the
    // resonance knob: 0.2 holds for sr / 2^6.856 = 380 samples.
    Unit unit (FilterFX::lowPassResample), lowPassOnly (FilterFX::lowPass);
    auto x = sine (cycles (200.0), 4096, 0.5);
    auto lp = x;
    unit.run (x, 0.9f, 0.2f);
    lowPassOnly.run (lp, 0.9f, (0.5f - 0.35f) / 0.65f);
    int changes = 0;
    float previous = 0.0f;
    for (size_t i = 0; i < x.size(); ++i)
    {
        const float held = x[i] - 0.5f * lp[i];
        if (std::fabs (held - previous) > 1e-4f)
            ++changes;
        previous = held;
    }
    EXPECT_GE (changes, 4096 / 380 - 1);
    EXPECT_LE (changes, 4096 / 380 + 1);
}

TEST (FilterFXShifter, ResonanceZeroPassesTheDrySignal)
{
    Unit unit (FilterFX::shifterType);
    auto x = sine (cycles (700.0), 2048);
    const auto in = x;
    unit.run (x, 0.6f, 0.0f);
    EXPECT_EQ (x, in);
}

TEST (FilterFXShifter, MovesEveryPartialByTheShiftFrequency)
{
    const double shift = HilbertShifter::shiftHz (cutoffFor (2500.0));
    EXPECT_NEAR (shift, 100.0, 0.5);

    Unit unit (FilterFX::shifterType);
    constexpr int n = 32768;
    auto x = sine (cycles (1000.0), n, 0.5);
    unit.run (x, cutoffFor (2500.0), 1.0f);
    const float* tail = x.data() + 8192;
    const double shifted = amplitudeAt (tail, 16384, cycles (1000.0 + shift));
    const double mirror = amplitudeAt (tail, 16384, cycles (1000.0 - shift));
    const double original = amplitudeAt (tail, 16384, cycles (1000.0));
    EXPECT_NEAR (shifted, 0.5, 0.1);
    EXPECT_LT (dB (mirror / shifted), -25.0);
    EXPECT_LT (dB (original / shifted), -40.0);
}

TEST (FilterFXAnalog, LimitsItsInputAndLowPasses)
{
    Unit quiet (FilterFX::analogLowPass12);
    EXPECT_NEAR (quiet.gainAt (100.0, cutoffFor (2000.0), 0.0f), 0.0, 1.0);
    Unit high (FilterFX::analogLowPass12);
    EXPECT_LT (high.gainAt (12000.0, cutoffFor (1000.0), 0.0f), -25.0);

    // A huge input behaves as one of +-2.
    Unit loud (FilterFX::analogLowPass12), clipped (FilterFX::analogLowPass12);
    auto a = sine (cycles (50.0), 4096, 100.0);
    auto b = a;
    for (auto& v : b)
        v = std::clamp (v, -2.0f, 2.0f);
    loud.run (a, 0.5f, 0.3f);
    clipped.run (b, 0.5f, 0.3f);
    EXPECT_EQ (a, b);
}

TEST (FilterFXAnalog, ResonanceRaisesThePeakOfQuietSignals)
{
    // Quiet: the band saturation stays out of the way. Damping 2 at resonance 0
    // (-6 dB at the cutoff), about 0.052 at 1 (+23 dB).
    const float u = cutoffFor (1000.0);
    auto gain = [&] (float resonance, double amplitude) {
        Unit unit (FilterFX::analogLowPass12);
        return unit.gainAt (1000.0, u, resonance, amplitude);
    };
    EXPECT_NEAR (gain (0.0f, 0.01), -6.0, 0.5);
    EXPECT_NEAR (gain (1.0f, 0.01), 23.0, 1.0);
    // Loud: the saturation holds the resonant peak down.
    EXPECT_LT (gain (1.0f, 1.0), 6.0);
}
