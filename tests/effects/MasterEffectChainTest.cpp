#include "ChainTestSupport.h"

#include "RealtimeMonitor.h"

#include <gtest/gtest.h>

using namespace ParamIndex;
using EffectTest::ChainRig;

TEST (MasterEffectChain, DefaultSoundPassesUnchanged)
{
    ChainRig rig; // "Type1", delay mix 0, equaliser 0.5 / 0.5, reverb off, split centred
    const auto input = EffectTest::noise (2 * 4096, 4.0f);
    auto output = input;
    rig.run (output, 512);
    EXPECT_EQ (output, input);
}

TEST (MasterEffectChain, LimitsTheMixToTwenty)
{
    ChainRig rig;
    std::vector<float> signal = { 100.0f, -100.0f, 20.5f, -19.5f, 3.0e38f, -1.0e30f };
    rig.run (signal);
    EXPECT_EQ (signal, (std::vector<float> { 20.0f, -20.0f, 20.0f, -19.5f, 20.0f, -20.0f }));
}

TEST (MasterEffectChain, InsertEffectFollowsFxType)
{
    // Every type but "Type1" (and numbers outside the choices) changes the sound.
    const auto input = EffectTest::noise (2 * 2048);
    for (int type = -1; type <= 6; ++type)
    {
        ChainRig rig;
        rig.values.choose (fxType, type);
        rig.values.set (effectControl1, 0.7f);
        rig.values.set (effectControl2, 0.6f);
        auto output = input;
        rig.run (output);
        const bool changed = output != input;
        EXPECT_EQ (changed, type >= 1 && type <= 4) << "type " << type;
    }
}

TEST (MasterEffectChain, EffectControlsFollowTheMorphOnlyWhenFxMorphIsOn)
{
    // The waveshaper at mix 0 in one array and full mix in the other.
    struct Case
    {
        int fxMorphChoice;
        float mixA, mixMorphed;
        bool shaped;
    };
    const auto input = EffectTest::noise (2 * 1024);
    for (const auto c : { Case { 1, 0.0f, 1.0f, true }, Case { 1, 1.0f, 0.0f, false }, Case { 0, 0.0f, 1.0f, false },
                          Case { 0, 1.0f, 0.0f, true } })
    {
        ChainRig rig;
        rig.values.choose (fxMorph, c.fxMorphChoice);
        rig.values.choose (fxType, 1);
        rig.values.set (effectControl1, 1.0f);
        rig.values.A[effectControl2] = c.mixA;
        rig.values.M[effectControl2] = c.mixMorphed;
        auto output = input;
        rig.run (output);
        EXPECT_EQ (output != input, c.shaped) << "FX morph " << c.fxMorphChoice << ", mix A " << c.mixA;
    }
}

TEST (MasterEffectChain, DelayRunsFromAMorphedMixOfFivePercentAndResumesItsEchoes)
{
    ChainRig rig;
    rig.values.choose (fxMorph, 0); // the gate still reads the morphed value
    rig.values.A[delayMix] = 1.0f;
    rig.values.A[delayFeedback] = 0.5f;
    rig.values.M[delayMix] = 0.05f;
    rig.values.A[fxLeftTaps] = rig.values.A[fxRightTaps] = 1.0f; // 5512 samples at 120 bpm

    std::vector<float> first ((size_t) (2 * 1024), 0.0f);
    first[0] = 1.0f;
    rig.run (first);
    EXPECT_FLOAT_EQ (first[0], 0.9f); // mix 1 from array A: wet only

    // Below the threshold the delay is not run: the mix passes unchanged.
    rig.values.M[delayMix] = 0.0499f;
    const auto passing = EffectTest::noise (2 * 8192);
    auto passed = passing;
    rig.run (passed);
    EXPECT_EQ (passed, passing);

    // Raised again, the ring still holds the impulse: its echo arrives once
    // the rest of the 5512 samples have passed.
    rig.values.M[delayMix] = 0.05f;
    std::vector<float> resumed ((size_t) (2 * 8192), 0.0f);
    rig.run (resumed);
    EXPECT_EQ (EffectTest::firstNonZero (resumed, 0, 0), 5512 - 1024);
    EXPECT_FLOAT_EQ (resumed[(size_t) (2 * (5512 - 1024))], 0.45f);
}

TEST (MasterEffectChain, DelayTapsComeFromGroupAAndTempoFromTheContext)
{
    ChainRig rig;
    rig.context.setTempo (60);
    rig.values.delayOn (1.0f, 0.5f);
    rig.values.A[fxLeftTaps] = 1.0f; // a sixteenth at 60 bpm: 11025 samples
    rig.values.M[fxLeftTaps] = 4.0f;
    rig.values.B[fxLeftTaps] = 4.0f;
    std::vector<float> signal ((size_t) (2 * 16384), 0.0f);
    signal[0] = 1.0f;
    rig.run (signal);
    EXPECT_EQ (EffectTest::firstNonZero (signal, 0, 1), 11025);
}

TEST (MasterEffectChain, EqualiserRunsOnlyAwayFromTheCentre)
{
    struct Case
    {
        float low, high;
        int peakFrame; // where an impulse at frame 10 comes out strongest
    };
    for (const auto c : { Case { 0.5f, 0.5f, 10 }, Case { 0.6f, 0.5f, 13 }, Case { 0.5f, 0.4f, 13 }, Case { 0.0f, 0.5f, 13 } })
    {
        ChainRig rig;
        rig.values.set (eqLow, c.low);
        rig.values.set (eqHigh, c.high);
        std::vector<float> signal ((size_t) (2 * 512), 0.0f);
        signal[20] = 1.0f;
        rig.run (signal);
        int best = 0;
        for (int i = 0; i < 512; ++i)
            if (std::fabs (signal[(size_t) (2 * i)]) > std::fabs (signal[(size_t) (2 * best)]))
                best = i;
        EXPECT_EQ (best, c.peakFrame) << "eq " << c.low << " / " << c.high;
        if (c.peakFrame == 10)
        {
            EXPECT_EQ (signal[20], 1.0f);
        }
    }
}

TEST (MasterEffectChain, ReverbReadsGroupAOnly)
{
    ChainRig rig;
    rig.values.choose (reverbOn, 1);
    rig.values.A[reverbDryWet] = 0.0f;
    rig.values.M[reverbDryWet] = rig.values.B[reverbDryWet] = 1.0f;
    const auto input = EffectTest::noise (2 * 2048);
    auto output = input;
    rig.run (output);
    EXPECT_EQ (output, input);
}

TEST (MasterEffectChain, ReverbStartsAFreshTailWhenDryWetComesUpFromZero)
{
    struct Case
    {
        float between; // dry/wet for one sub-block before it returns to 0.5
        bool tailKept;
    };
    for (const auto c : { Case { 0.0f, false }, Case { 0.2f, true } })
    {
        ChainRig rig;
        rig.values.reverbOn (0.5f);
        auto loud = EffectTest::noise (2 * 8192);
        rig.run (loud);

        rig.values.set (reverbDryWet, c.between);
        std::vector<float> pause ((size_t) (2 * 512), 0.0f);
        rig.run (pause);

        rig.values.set (reverbDryWet, 0.5f);
        std::vector<float> after ((size_t) (2 * 2048), 0.0f);
        rig.run (after);
        EXPECT_EQ (EffectTest::peak (after, 0, 0, 2048) > 0.0f, c.tailKept) << "between " << c.between;
    }
}

TEST (MasterEffectChain, ReverbSwitchedOffKeepsItsTail)
{
    ChainRig rig;
    rig.values.reverbOn (0.5f);
    auto loud = EffectTest::noise (2 * 8192);
    rig.run (loud);

    rig.values.choose (reverbOn, 0);
    const auto passing = EffectTest::noise (2 * 2048, 0.5f, 5u);
    auto passed = passing;
    rig.run (passed);
    EXPECT_EQ (passed, passing);

    rig.values.choose (reverbOn, 1);
    std::vector<float> after ((size_t) (2 * 1024), 0.0f);
    rig.run (after);
    EXPECT_GT (EffectTest::peak (after, 0, 0, 1024), 1.0e-4f);
}

TEST (MasterEffectChain, ProcessingNeverAllocates)
{
    if (! RealtimeMonitor::isAvailable())
        GTEST_SKIP() << "allocation counting is not available in this build";
    ChainRig rig;
    rig.values.set (fxSplit, 0.3f);
    rig.values.delayOn (0.5f, 0.6f);
    rig.values.set (eqLow, 0.7f);
    rig.values.reverbOn (0.4f);
    auto signal = EffectTest::noise (2 * 512);
    for (int type = 0; type <= 4; ++type)
    {
        rig.values.choose (fxType, type);
        RealtimeMonitor::start();
        for (int block = 0; block < 20; ++block)
            rig.chain.process (signal.data(), 512, rig.values.A.data(), rig.values.B.data(), rig.values.M.data(), rig.values.I.data());
        rig.chain.panic();
        EXPECT_EQ (RealtimeMonitor::stop().allocations, 0) << "type " << type;
    }
}
