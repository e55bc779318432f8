#include "ChainTestSupport.h"

#include <gtest/gtest.h>

using namespace ParamIndex;
using EffectTest::ChainRig;

namespace
{
/** A chain whose only effect is the delay at full mix without feedback: the
    part of the signal the split sends through the effects comes out at 0.9,
    the part it keeps out at 1.0. */
void markEffectPath (ChainRig& rig)
{
    rig.values.delayOn (1.0f, 0.0f);
}

/** Level of the constant left output after the filters settled, for a
    constant input of 1. */
float levelOfConstant (ChainRig& rig)
{
    std::vector<float> signal ((size_t) (2 * 44100), 1.0f);
    rig.run (signal);
    return signal[signal.size() - 2];
}
} // namespace

TEST (FxSplit, CentredInBothGroupsSendsEverythingThroughTheEffects)
{
    ChainRig rig;
    markEffectPath (rig);
    const auto input = EffectTest::noise (2 * 2048);
    auto output = input;
    rig.run (output);
    for (size_t i = 0; i < input.size(); ++i)
        ASSERT_EQ (output[i], 0.9f * input[i]) << "value " << i;
    EXPECT_EQ (rig.chain.getSplitPrevious(), 0.5f);
}

TEST (FxSplit, CentredKnobMovesTowardsTheGroupsMean)
{
    struct Case
    {
        float groupB;
        float split;    // the value the chain uses
        float constant; // where a constant input goes
    };
    // Mean above the centre: high-pass at about 32 Hz, the constant bypasses.
    // Mean below: low-pass at about 19.9 kHz, the constant takes the effects.
    for (const auto c : { Case { 0.7f, (float) (0.5 + 0.001), 1.0f }, Case { 0.3f, (float) (0.5 - 0.001), 0.9f } })
    {
        ChainRig rig;
        markEffectPath (rig);
        rig.values.B[fxSplit] = c.groupB; // A and the live value stay at 0.5
        EXPECT_NEAR (levelOfConstant (rig), c.constant, 1.0e-3f) << "B " << c.groupB;
        EXPECT_EQ (rig.chain.getSplitPrevious(), c.split);
    }
}

TEST (FxSplit, CentredKnobIgnoresTheMeanWhenItIsCentredToo)
{
    ChainRig rig;
    markEffectPath (rig);
    rig.values.A[fxSplit] = 0.2f;
    rig.values.B[fxSplit] = 0.8f;
    rig.values.M[fxSplit] = 0.5f;
    EXPECT_FLOAT_EQ (levelOfConstant (rig), 0.9f);
    EXPECT_EQ (rig.chain.getSplitPrevious(), 0.5f);
}

namespace
{
struct BandCase
{
    float split;
    double hz;
    float gain; // 0.9 through the effects, 1.0 around them
};

class SplitBands : public ::testing::TestWithParam<BandCase>
{
};
} // namespace

TEST_P (SplitBands, BelowTheCentreTheLowBandTakesTheEffectsAboveItTheHighBand)
{
    const auto c = GetParam();
    ChainRig rig;
    markEffectPath (rig);
    rig.values.set (fxSplit, c.split);
    auto signal = EffectTest::sine (16384, c.hz, 44100.0);
    rig.run (signal);
    EXPECT_NEAR (EffectTest::peak (signal, 0, 8192, 16384) / 0.5f, c.gain, 0.01f) << c.split << ", " << c.hz << " Hz";
}

// 0.25 and 0.75 put the crossover at 2^(9.28 * 0.5 + 5), about 800 Hz.
INSTANTIATE_TEST_SUITE_P (FxSplit, SplitBands,
                          ::testing::Values (BandCase { 0.25f, 60.0, 0.9f }, BandCase { 0.25f, 12000.0, 1.0f },
                                             BandCase { 0.75f, 60.0, 1.0f }, BandCase { 0.75f, 12000.0, 0.9f },
                                             BandCase { 0.001f, 2000.0, 1.0f }, // low-pass at 32 Hz
                                             BandCase { 0.999f, 2000.0, 1.0f })); // high-pass at 19.9 kHz

namespace
{
struct CrossingCase
{
    float from, to;
    bool resets;
};

class SplitCrossing : public ::testing::TestWithParam<CrossingCase>
{
};
} // namespace

TEST_P (SplitCrossing, CrossingTheCentreResetsBothSections)
{
    // After a reset the sub-block comes out exactly as from a new chain.
    const auto c = GetParam();
    const auto history = EffectTest::noise (2 * 2048, 0.8f, 11u);
    const auto block = EffectTest::noise (2 * 512, 0.8f, 12u);

    ChainRig moved;
    markEffectPath (moved);
    moved.values.set (fxSplit, c.from);
    auto h = history;
    moved.run (h);
    moved.values.set (fxSplit, c.to);
    auto outMoved = block;
    moved.run (outMoved);

    ChainRig fresh;
    markEffectPath (fresh);
    fresh.values.set (fxSplit, c.to);
    auto outFresh = block;
    fresh.run (outFresh);

    EXPECT_EQ (outMoved == outFresh, c.resets) << c.from << " -> " << c.to;
}

INSTANTIATE_TEST_SUITE_P (FxSplit, SplitCrossing,
                          ::testing::Values (CrossingCase { 0.3f, 0.7f, true }, CrossingCase { 0.7f, 0.3f, true },
                                             CrossingCase { 0.2f, 0.5001f, true }, CrossingCase { 0.3f, 0.45f, false },
                                             CrossingCase { 0.8f, 0.6f, false }, CrossingCase { 0.7f, 0.7f, false }));
