#include "dsp/DSPContext.h"
#include "effects/PhaserFx.h"

#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

TEST (PhaserFx, DepthZeroReturnsTheInput)
{
    for (const float sweep : { 0.0f, 0.5f, 1.0f })
    {
        DSPContext context;
        PhaserFx phaser (context);
        phaser.depth = 0.0f;
        phaser.setSweepFromControl (sweep);
        const auto input = EffectTest::noise (2 * 512 * 6);
        auto output = input;
        EffectTest::runBlocks (phaser, output);
        EXPECT_EQ (output, input) << "sweep control " << sweep;
    }
}

TEST (PhaserFx, SweepRateRunsFromAThousandthOfAHertzToTenHertz)
{
    DSPContext context;
    PhaserFx phaser (context);
    struct Case
    {
        float control;
        double hz;
    };
    for (const auto c : { Case { 0.0f, 0.001 }, Case { 1.0f, 10.0 } })
    {
        phaser.setSweepFromControl (c.control);
        EXPECT_NEAR (phaser.sweepRate, 2.0 * M_PI * c.hz / 44100.0, 1.0e-4 * 2.0 * M_PI * c.hz / 44100.0);
    }
}

TEST (PhaserFx, FullDepthResponseSwingsBetweenAThirdAndThreeTimesTheInput)
{
    // With the feedback of 0.5 the response is (1 + 0.5 P) / (1 - 0.5 P) for
    // the all-pass chain's P: three times the input where the chain is in
    // phase (low tones), a third where it turns half a cycle (the notches).
    // The sweep is nearly frozen so each tone meets a fixed chain.
    DSPContext context;
    float lowest = 10.0f, highest = 0.0f;
    for (double hz = 20.0; hz < 20000.0; hz *= 1.03)
    {
        PhaserFx phaser (context);
        phaser.depth = 1.0f;
        phaser.setSweepFromControl (0.0f);
        auto signal = EffectTest::sine (8192, hz, 44100.0);
        EffectTest::runBlocks (phaser, signal);
        const float level = EffectTest::peak (signal, 0, 4096, 8192) / 0.5f;
        lowest = std::fmin (lowest, level);
        highest = std::fmax (highest, level);
    }
    EXPECT_NEAR (lowest, 1.0f / 3.0f, 0.05f);
    EXPECT_NEAR (highest, 3.0f, 0.2f);
}
