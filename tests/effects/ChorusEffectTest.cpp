#include "dsp/DSPContext.h"
#include "effects/ChorusEffect.h"

#include "EffectTestSupport.h"

#include <gtest/gtest.h>

TEST (ChorusEffect, DepthZeroAfterTheGlideCrossMixesTheChannels)
{
    DSPContext context;
    ChorusEffect chorus (context);
    chorus.rate = 0.8f;
    chorus.depth = 0.6f;
    auto warmUp = EffectTest::noise (2 * 512 * 8);
    EffectTest::runBlocks (chorus, warmUp);

    // The depth glides down by a factor 0.8 per block until it is exactly 0.
    chorus.depth = 0.0f;
    auto glide = EffectTest::noise (2 * 512 * 300, 0.5f, 99u);
    EffectTest::runBlocks (chorus, glide);
    ASSERT_EQ (chorus.getSmoothedDepth(), 0.0f);

    const auto input = EffectTest::noise (2 * 512, 0.5f, 7u);
    auto output = input;
    chorus.process (output.data(), 512);
    for (int i = 0; i < 512; ++i)
    {
        const float l = input[(size_t) (2 * i)], r = input[(size_t) (2 * i + 1)];
        ASSERT_EQ (output[(size_t) (2 * i)], 0.75f * l + 0.75f * r) << "frame " << i;
        ASSERT_EQ (output[(size_t) (2 * i + 1)], 0.75f * r + 0.75f * l) << "frame " << i;
    }
}

TEST (ChorusEffect, EachSideCarriesTheOtherInputDelayedBy350SamplesAtFullDepth)
{
    DSPContext context;
    ChorusEffect chorus (context);
    chorus.rate = 0.0f; // the sine stays at 0: no sweep
    chorus.depth = 1.0f;
    std::vector<float> settle ((size_t) (2 * 512 * 100), 0.0f);
    EffectTest::runBlocks (chorus, settle);
    ASSERT_NEAR (chorus.getSmoothedDepth(), 1.0f, 1.0e-6f);

    std::vector<float> signal ((size_t) (2 * 2048), 0.0f);
    constexpr int kImpulse = 100;
    signal[2 * kImpulse] = 1.0f; // left only
    EffectTest::runBlocks (chorus, signal);

    // Left: its own dry impulse, nothing delayed (the right input is silent).
    EXPECT_FLOAT_EQ (signal[2 * kImpulse], 0.75f);
    EXPECT_EQ (EffectTest::peak (signal, 0, kImpulse + 1, 2048), 0.0f);
    // Right: no dry part, the left impulse 350 samples later.
    EXPECT_EQ (EffectTest::peak (signal, 1, 0, kImpulse + 349), 0.0f);
    EXPECT_NEAR (signal[2 * (kImpulse + 350) + 1], 0.75f, 1.0e-3f);
    EXPECT_NEAR (EffectTest::peak (signal, 1, kImpulse + 352, 2048), 0.0f, 1.0e-6f);
}
