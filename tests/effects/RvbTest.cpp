#include "dsp/DSPContext.h"
#include "effects/Rvb.h"

#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr int kBaseLengths[Rvb::kLines] = { 1307, 1427, 1559, 1619, 1783, 1861, 1999, 2039 };
constexpr int kBaseTaps[Rvb::kLines] = { 0, 5, 13, 19, 29, 37, 43, 53 };

struct Reverb
{
    explicit Reverb (int rate = 44100)
    {
        context.setSampleRate (rate);
        rvb.dryWet = 0.5f;
    }
    DSPContext context;
    Rvb rvb { context };
};

double energy (const std::vector<float>& v, int from, int to)
{
    double e = 0.0;
    for (int i = 2 * from; i < 2 * to; ++i)
        e += (double) v[(size_t) i] * v[(size_t) i];
    return e;
}
} // namespace

TEST (Rvb, PreDelayRunsFrom106To65428InterleavedValuesAt44100Hz)
{
    Reverb r;
    struct Case
    {
        float pre;
        int values;
    };
    for (const auto c : { Case { 0.0f, 106 }, Case { 0.001f, 106 }, Case { 0.25f, 22050 }, Case { 0.5f, 44100 },
                          Case { 0.7417f, 65416 }, Case { 1.0f, 65428 } })
    {
        r.rvb.preDelay = c.pre;
        EXPECT_EQ (r.rvb.getPreDelay(), c.values) << "pre " << c.pre;
    }
}

TEST (Rvb, ShortestPreDelayStillReachesTheLatestTapAtEveryRate)
{
    for (const int rate : { 22050, 44100, 48000, 88200, 96000, 192000 })
    {
        Reverb r (rate);
        r.rvb.preDelay = 0.0f;
        EXPECT_GE (r.rvb.getPreDelay() / 2, r.rvb.getTapOffset (7)) << rate << " Hz";
        EXPECT_EQ (r.rvb.getPreDelay() % 2, 0);
    }
}

TEST (Rvb, NoLineReplaysOldInputAtHigherRates)
{
    // From 48 kHz on, the latest taps lie beyond the shortest pre-delay of
    // 44.1 kHz. A line reading the ring ahead of the input would replay an
    // impulse about 32768 frames later, as a burst out of the dying tail.
    for (const int rate : { 44100, 48000, 96000 })
    {
        Reverb r (rate);
        r.rvb.preDelay = 0.0f;
        r.rvb.size = 0.0f;
        r.rvb.dryWet = 1.0f;
        std::vector<float> signal ((size_t) (2 * 44000), 0.0f);
        signal[0] = signal[1] = 1.0f;
        EffectTest::runBlocks (r.rvb, signal);
        const double before = energy (signal, 26000, 31000);
        const double replay = energy (signal, 31000, 44000);
        EXPECT_LE (replay, before) << rate << " Hz";
    }
}

TEST (Rvb, FeedbackGainFollowsTheSizeWithinItsLimits)
{
    struct Case
    {
        int rate;
        float size;
        float gain;
    };
    const Case cases[] = {
        { 44100, 0.0f, 0.1f },   // 0 is raised to 0.1, not 0.01
        { 44100, 1.0f, 0.351f },
        { 44100, 0.5f, (1.0f - 0.125f) * 0.351f },
        { 96000, 0.459f, 0.351f }, // at 96 kHz every size from about 0.459 on is the limit
        { 96000, 0.8f, 0.351f },
        { 22050, 1.0f, (1.0f - 0.125f) * 0.351f },
    };
    for (const auto& c : cases)
    {
        Reverb r (c.rate);
        r.rvb.size = c.size;
        EXPECT_FLOAT_EQ (r.rvb.getFeedbackGain(), c.gain) << c.rate << " Hz, size " << c.size;
    }
}

TEST (Rvb, LinesAndTapsScaleWithTheSampleRate)
{
    Reverb r;
    for (int j = 0; j < Rvb::kLines; ++j)
    {
        EXPECT_EQ (r.rvb.getLineLength (j), kBaseLengths[j]);
        EXPECT_EQ (r.rvb.getTapOffset (j), kBaseTaps[j]);
    }
    r.context.setSampleRate (88200);
    for (int j = 0; j < Rvb::kLines; ++j)
    {
        EXPECT_EQ (r.rvb.getLineLength (j), 2 * kBaseLengths[j]);
        EXPECT_EQ (r.rvb.getTapOffset (j), 2 * kBaseTaps[j]);
    }
}

TEST (Rvb, SampleRateChangeClearsTheTail)
{
    Reverb r;
    auto loud = EffectTest::noise (2 * 8192);
    EffectTest::runBlocks (r.rvb, loud);

    r.context.setSampleRate (48000);
    std::vector<float> silence ((size_t) (2 * 4096), 0.0f);
    EffectTest::runBlocks (r.rvb, silence);
    EXPECT_EQ (EffectTest::peak (silence, 0, 0, 4096) + EffectTest::peak (silence, 1, 0, 4096), 0.0f);
}

TEST (Rvb, DryWetZeroLeavesTheInputAndTheTailUntouched)
{
    Reverb a, b;
    auto first = EffectTest::noise (2 * 4096, 0.5f, 1u);
    auto firstCopy = first;
    EffectTest::runBlocks (a.rvb, first);
    EffectTest::runBlocks (b.rvb, firstCopy);

    // a sits at dry/wet 0 for a while; b does not see those blocks at all.
    a.rvb.dryWet = 0.0f;
    const auto passing = EffectTest::noise (2 * 3000, 0.5f, 2u);
    auto passed = passing;
    EffectTest::runBlocks (a.rvb, passed);
    EXPECT_EQ (passed, passing);

    a.rvb.dryWet = 0.5f;
    auto tailA = EffectTest::noise (2 * 4096, 0.5f, 3u);
    auto tailB = tailA;
    EffectTest::runBlocks (a.rvb, tailA);
    EffectTest::runBlocks (b.rvb, tailB);
    EXPECT_EQ (tailA, tailB);
}

TEST (Rvb, DryWetOneIsTheWetSignalOnly)
{
    Reverb r;
    r.rvb.dryWet = 1.0f;
    r.rvb.preDelay = 0.0f;
    std::vector<float> signal ((size_t) (2 * 8192), 0.0f);
    signal[0] = signal[1] = 1.0f;
    EffectTest::runBlocks (r.rvb, signal);
    // Nothing of the dry impulse; the wet tail starts once the input has passed
    // the pre-delay and the shortest line.
    EXPECT_EQ (EffectTest::peak (signal, 0, 0, 53 + 1307) + EffectTest::peak (signal, 1, 0, 53 + 1307), 0.0f);
    EXPECT_GT (EffectTest::peak (signal, 0, 53 + 1307, 8192), 1.0e-4f);
    EXPECT_GT (EffectTest::peak (signal, 1, 53 + 1307, 8192), 1.0e-4f);
}
