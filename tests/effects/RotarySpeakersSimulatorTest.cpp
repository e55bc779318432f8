#include "dsp/DSPContext.h"
#include "effects/RotarySpeakersSimulator.h"

#include "EffectTestSupport.h"

#include <gtest/gtest.h>

namespace
{
struct RotaryCase
{
    float depth; // chosen so that the swing 2^(10 depth) is a whole number
    float rate;
};

class RotaryUndelayed : public ::testing::TestWithParam<RotaryCase>
{
};
} // namespace

TEST_P (RotaryUndelayed, OutputNeverContainsTheUndelayedInput)
{
    const auto c = GetParam();
    DSPContext context;
    RotarySpeakersSimulator rotary (context);
    rotary.depth = c.depth;
    rotary.rate = c.rate;

    // Impulses further apart than the longest delay (1 + 2 * 1024 samples), on
    // both channels, at every offset within a block over the run.
    constexpr int kSpacing = 2053;
    constexpr int kFrames = 512 * 200;
    std::vector<float> signal ((size_t) (2 * kFrames), 0.0f);
    for (int t = kSpacing; t < kFrames; t += kSpacing)
    {
        signal[(size_t) (2 * t)] = 1.0f;
        signal[(size_t) (2 * t + 1)] = -1.0f;
    }
    EffectTest::runBlocks (rotary, signal);

    float heard = 0.0f;
    for (int t = kSpacing; t < kFrames; t += kSpacing)
    {
        ASSERT_EQ (signal[(size_t) (2 * t)], 0.0f) << "frame " << t;
        ASSERT_EQ (signal[(size_t) (2 * t + 1)], 0.0f) << "frame " << t;
        heard = std::fmax (heard, EffectTest::peak (signal, 0, t + 1, t + kSpacing > kFrames ? kFrames : t + kSpacing));
    }
    EXPECT_GT (heard, 0.1f); // the impulses do come out, delayed
}

INSTANTIATE_TEST_SUITE_P (RotarySpeakersSimulator, RotaryUndelayed,
                          ::testing::Values (RotaryCase { 0.0f, 0.0f }, RotaryCase { 0.0f, 1.0f }, RotaryCase { 0.1f, 0.5f },
                                             RotaryCase { 0.5f, 0.3f }, RotaryCase { 1.0f, 1.0f }, RotaryCase { 1.0f, 0.0f }));

TEST (RotarySpeakersSimulator, DepthZeroDelaysOneToThreeSamplesAndFeedsSeventyPercentAcross)
{
    DSPContext context;
    RotarySpeakersSimulator rotary (context);
    rotary.depth = 0.0f; // D = 1
    rotary.rate = 0.6f;

    constexpr int kSpacing = 64;
    constexpr int kFrames = 512 * 40;
    std::vector<float> signal ((size_t) (2 * kFrames), 0.0f);
    for (int t = kSpacing; t < kFrames; t += kSpacing)
        signal[(size_t) (2 * t)] = 1.0f; // left only
    EffectTest::runBlocks (rotary, signal);

    for (int t = kSpacing; t < kFrames; t += kSpacing)
    {
        // The left impulse is heard 1 to 3 samples later and nowhere else ...
        EXPECT_EQ (EffectTest::peak (signal, 0, t, t + 1), 0.0f);
        EXPECT_GT (EffectTest::peak (signal, 0, t + 1, t + 4), 0.0f);
        EXPECT_EQ (EffectTest::peak (signal, 0, t + 4, t + kSpacing), 0.0f);
        // ... and the right side carries 0.7 of it.
        for (int i = t; i < t + kSpacing && i < kFrames; ++i)
            ASSERT_EQ (signal[(size_t) (2 * i + 1)], 0.7f * signal[(size_t) (2 * i)]) << "frame " << i;
    }
}
