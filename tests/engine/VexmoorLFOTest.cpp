#include "dsp/DSPContext.h"
#include "dsp/OscTables.h"
#include "engine/VexmoorLFO.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct LfoFixture : ::testing::Test
{
    DSPContext context;
    VexmoorLFO lfo { context };

    void configure (int wave, float rate, float amount, int trigger = VexmoorLFO::perNote)
    {
        lfo.wave = wave;
        lfo.rate = rate;
        lfo.amount = amount;
        lfo.trigger = trigger;
        lfo.reset();
    }
};
} // namespace

TEST_F (LfoFixture, SineReadsTheTableAtItsRateAndPhase)
{
    configure (VexmoorLFO::sine, 44100.0f / 2048.0f, 1.0f); // one table entry per sample
    lfo.phase = 0.25f;
    lfo.reset();
    const float* out = lfo.render (64);
    for (int i = 0; i < 64; ++i)
        EXPECT_FLOAT_EQ (out[i], OscTables::sine()[(512 + i) & 2047]) << i;
    // The next block continues where this one ended.
    out = lfo.render (8);
    EXPECT_FLOAT_EQ (out[0], OscTables::sine()[512 + 64]);
}

TEST_F (LfoFixture, TempoSyncGivesPowersOfTwoPerBeat)
{
    context.setTempo (120);
    configure (VexmoorLFO::square, 0.005f, 1.0f);
    lfo.sync = true;
    // 0.005 Hz synced: 2^(-2-6) cycles per beat at 2 beats per second, a half
    // period of 64 beats = 32 s.
    const int halfPeriod = (int) (44100.0f / (2.0f / 256.0f) * 0.5f);
    int flips = 0;
    float previousSign = 0.0f;
    for (int block = 0; block < halfPeriod / 4096 + 2; ++block)
    {
        const float* out = lfo.render (4096);
        for (int i = 0; i < 4096; ++i)
        {
            const float sign = out[i] > 0.0f ? 1.0f : -1.0f;
            if (previousSign != 0.0f && sign != previousSign)
                ++flips;
            previousSign = sign;
        }
    }
    EXPECT_EQ (flips, 1);
}

TEST_F (LfoFixture, OneShotTriggerHoldsTheValueReachedAfterOneCycle)
{
    configure (VexmoorLFO::triangle, 441.0f, 1.0f, VexmoorLFO::oneShot); // 100-sample cycle
    const float* out = lfo.render (256);
    const float held = out[255];
    for (int i = 100; i < 256; ++i)
        EXPECT_EQ (out[i], held) << i;
    out = lfo.render (64);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ (out[i], held);
}

TEST_F (LfoFixture, FadeInRampsFromSilenceAndGlobalNeverFades)
{
    lfo.fadeIn = 0.01f; // 441 samples
    configure (VexmoorLFO::sine, 1.0f, 1.0f);
    lfo.phase = 0.25f;
    lfo.reset();
    const float* out = lfo.render (882);
    EXPECT_NEAR (out[0], 0.0f, 1e-6f);
    EXPECT_NEAR (out[220], 0.5f * OscTables::sine()[512], 0.01f);
    EXPECT_NEAR (out[800], 1.0f, 0.01f);

    VexmoorLFO global (context);
    global.fadeIn = 0.01f;
    global.wave = VexmoorLFO::sine;
    global.rate = 1.0f;
    global.amount = 1.0f;
    global.phase = 0.25f;
    global.trigger = VexmoorLFO::global;
    global.reset();
    EXPECT_NEAR (global.render (32)[0], 1.0f, 1e-3f);
}

TEST_F (LfoFixture, GlobalLfoRendersOncePerSubBlock)
{
    configure (VexmoorLFO::sine, 3.0f, 1.0f, VexmoorLFO::global);
    const float first = lfo.render (512)[100];
    EXPECT_EQ (lfo.render (512)[100], first); // the same sub-block: the same values
    context.time += 512.0 / 44100.0;
    EXPECT_NE (lfo.render (512)[100], first);
}

TEST_F (LfoFixture, RandomStepsHoldForHalfACycle)
{
    configure (VexmoorLFO::sampleAndHold, 441.0f, 1.0f); // a new level every 50 samples
    const float* out = lfo.render (200);
    for (int i = 1; i < 200; ++i)
    {
        if (i % 50 != 0)
        {
            EXPECT_EQ (out[i], out[i - 1]) << i;
        }
    }
    for (int i = 0; i < 200; ++i)
        EXPECT_LE (std::fabs (out[i]), 1.0f);
}
