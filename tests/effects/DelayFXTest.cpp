#include "dsp/DSPContext.h"
#include "effects/DelayFX.h"

#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{
struct LengthCase
{
    float taps;
    bool sync;
    int tempo;
    int sampleRate;
    int expectedFrames;
};

class DelayLength : public ::testing::TestWithParam<LengthCase>
{
};

/** An impulse on both channels at frame 0, then silence; returns the output. */
std::vector<float> impulseResponse (DelayFX& delay, int frames, int blockFrames = 512)
{
    std::vector<float> signal ((size_t) (2 * frames), 0.0f);
    signal[0] = signal[1] = 1.0f;
    EffectTest::runBlocks (delay, signal, blockFrames);
    return signal;
}
} // namespace

TEST_P (DelayLength, FirstEchoArrivesAfterTheTapsInSixteenthNotes)
{
    const auto c = GetParam();
    DSPContext context;
    context.setSampleRate (c.sampleRate);
    DelayFX delay (context);
    delay.tapsLeft = delay.tapsRight = c.taps;
    delay.sync = c.sync;
    delay.tempo = c.tempo;
    delay.mix = 1.0f;
    delay.feedback = 0.5f;

    ASSERT_EQ (delay.computeLengths().left, c.expectedFrames);
    const auto out = impulseResponse (delay, c.expectedFrames + 2048);
    EXPECT_EQ (EffectTest::firstNonZero (out, 0, 1), c.expectedFrames);
    EXPECT_EQ (EffectTest::firstNonZero (out, 1, 1), c.expectedFrames);
    EXPECT_FLOAT_EQ (out[(size_t) (2 * c.expectedFrames)], 0.9f * 0.5f);
}

INSTANTIATE_TEST_SUITE_P (
    DelayFX, DelayLength,
    ::testing::Values (
        // 120 bpm at 44100 Hz: a sixteenth is 5512.5 samples.
        LengthCase { 1.0f, true, 120, 44100, 5512 },
        LengthCase { 4.0f, true, 120, 44100, 22050 },
        LengthCase { 1.06f, false, 120, 44100, 5843 },
        LengthCase { 1.06f, true, 120, 44100, 5512 }, // sync: whole sixteenths
        LengthCase { 2.5f, false, 90, 48000, 20000 },
        LengthCase { 0.0f, false, 0, 44100, 5512 }, // tempo 0 plays at 120; taps below 1 count as 1
        // Faster than a block: echoes still exact.
        LengthCase { 1.0f, true, 2000, 44100, 330 },
        LengthCase { 1.0f, true, 8000, 22050, 41 },
        // Longer than the memory: the pattern doubles its speed until it fits.
        LengthCase { 4.0f, true, 20, 96000, 72000 },   // one beat, 288000 samples
        LengthCase { 1.0f, true, 20, 96000, 72000 },   // one sixteenth fits as it is
        LengthCase { 4.0f, true, 10, 44100, 66150 },   // 264600 samples halved twice
        LengthCase { 3.0f, false, 1, 192000, 67500 })); // 8.64 million samples halved seven times

TEST (DelayFX, LengthsStayInsideTheRingAtEveryTempoAndRate)
{
    for (const int rate : { 8000, 22050, 44100, 48000, 96000, 192000, 384000 })
    {
        DSPContext context;
        context.setSampleRate (rate);
        DelayFX delay (context);
        for (int tempo = -5; tempo <= 1000; ++tempo)
            for (const float taps : { 1.0f, 1.5f, 2.99f, 4.0f, 7.0f })
            {
                delay.tempo = tempo;
                delay.tapsLeft = taps;
                delay.tapsRight = 5.0f - taps;
                const auto lengths = delay.computeLengths();
                ASSERT_GE (lengths.left, 1);
                ASSERT_GE (lengths.right, 1);
                ASSERT_LE (lengths.left, DelayFX::kRingFrames) << rate << " Hz, " << tempo << " bpm";
                ASSERT_LE (lengths.right, DelayFX::kRingFrames) << rate << " Hz, " << tempo << " bpm";
            }
    }
}

TEST (DelayFX, TwentyBeatsPerMinuteAt96kHzKeepsTheLeftRightPattern)
{
    DSPContext context;
    context.setSampleRate (96000);
    DelayFX delay (context);
    delay.tempo = 20;
    delay.sync = true;
    delay.tapsLeft = 1.0f;  // 72000 samples
    delay.tapsRight = 4.0f; // 288000 samples: both are played four times as fast
    delay.mix = 1.0f;
    delay.feedback = 0.5f;

    const auto lengths = delay.computeLengths();
    EXPECT_EQ (lengths.left, 18000);
    EXPECT_EQ (lengths.right, 72000);

    // Run past the ring's end several times with echoes still arriving.
    const auto out = impulseResponse (delay, 4 * DelayFX::kRingFrames);
    EXPECT_EQ (EffectTest::firstNonZero (out, 0, 1), 18000);
    EXPECT_EQ (EffectTest::firstNonZero (out, 1, 1), 72000);
    EXPECT_FLOAT_EQ (out[2 * 7 * 18000], 0.9f * std::pow (0.5f, 7.0f));
    EXPECT_FLOAT_EQ (out[2 * 5 * 72000 + 1], 0.9f * std::pow (0.5f, 5.0f));
}

TEST (DelayFX, EveryEchoIsThePreviousOneTimesTheFeedback)
{
    for (const float feedback : { 0.25f, 0.5f, 0.9f })
    {
        DSPContext context;
        DelayFX delay (context);
        delay.tempo = 120;
        delay.sync = true;
        delay.tapsLeft = delay.tapsRight = 1.0f; // 5512 samples
        delay.mix = 1.0f;
        delay.feedback = feedback;

        const auto out = impulseResponse (delay, 6 * 5512 + 100);
        float expected = 0.9f; // the wet path carries the input at 0.9
        for (int echo = 0; echo <= 6; ++echo)
        {
            const int at = echo * 5512;
            EXPECT_FLOAT_EQ (out[(size_t) (2 * at)], expected) << "echo " << echo;
            EXPECT_EQ (EffectTest::peak (out, 0, at + 1, std::min (at + 5512, 6 * 5512 + 100)), 0.0f);
            expected *= feedback;
        }
    }
}

TEST (DelayFX, MixBlendsTheDryInputWithTheWetPath)
{
    DSPContext context;
    DelayFX delay (context);
    delay.mix = 0.25f;
    delay.feedback = 0.0f;
    const auto input = EffectTest::noise (2 * 512);
    auto output = input;
    delay.process (output.data(), 512);
    for (size_t i = 0; i < input.size(); ++i)
        ASSERT_FLOAT_EQ (output[i], input[i] * 0.75f + 0.25f * (0.9f * input[i]));
}

TEST (DelayFX, CrossMakesTheEchoesAlternateBetweenTheChannels)
{
    DSPContext context;
    DelayFX delay (context);
    delay.tempo = 120;
    delay.sync = true;
    delay.cross = true;
    delay.tapsLeft = 1.0f;  // 5512
    delay.tapsRight = 2.0f; // 11025
    delay.mix = 1.0f;
    delay.feedback = 0.5f;

    constexpr int kFrames = 2 * 5512 + 2 * 11025 + 100;
    std::vector<float> signal ((size_t) (2 * kFrames), 0.0f);
    signal[0] = 1.0f; // left only
    EffectTest::runBlocks (delay, signal);

    // Left tap (5512) feeds the right side, right tap (11025) the left side.
    struct Echo
    {
        int frame, channel;
        float level;
    };
    const Echo echoes[] = { { 0, 0, 0.9f },
                            { 5512, 1, 0.45f },
                            { 5512 + 11025, 0, 0.225f },
                            { 2 * 5512 + 11025, 1, 0.1125f },
                            { 2 * 5512 + 2 * 11025, 0, 0.05625f } };
    for (const auto& e : echoes)
    {
        EXPECT_FLOAT_EQ (signal[(size_t) (2 * e.frame + e.channel)], e.level) << "frame " << e.frame;
        EXPECT_EQ (signal[(size_t) (2 * e.frame + 1 - e.channel)], 0.0f) << "frame " << e.frame;
    }
    int nonZero = 0;
    for (const float v : signal)
        nonZero += v != 0.0f;
    EXPECT_EQ (nonZero, 5);
}
