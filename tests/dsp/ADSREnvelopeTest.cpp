#include "dsp/ADSREnvelope.h"
#include "dsp/DSPContext.h"

#include "DspTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
struct Env
{
    DSPContext context;
    ADSREnvelope env { context };

    std::vector<float> run (int total, int block = 512)
    {
        return dsptest::renderInBlocks ([this] (int n) { return env.process (n); }, total, block);
    }
};
} // namespace

TEST (ADSREnvelope, AttackLastsWholeGroupsOfThirtyTwoSamples)
{
    Env e;
    e.env.setParams (0.01f, 0.5f, 0.5f, 0.5f); // 441 samples -> 416
    const auto x = e.run (1024);
    EXPECT_FLOAT_EQ (x[0], 0.0f);
    EXPECT_NEAR (x[415], 415.0f / 416.0f, 1e-5f);
    EXPECT_FLOAT_EQ (x[416], 1.0f); // the decay starts at full level
    EXPECT_EQ (e.env.getStage(), ADSREnvelope::decayStage);
}

TEST (ADSREnvelope, DecayCoversNinetyPercentInTheDecayTime)
{
    Env e;
    e.env.setParams (0.0f, 0.25f, 0.2f, 0.5f);
    const auto x = e.run (44100);
    EXPECT_FLOAT_EQ (x[0], 1.0f);
    const float atDecayTime = x[11025];
    EXPECT_NEAR ((1.0f - atDecayTime) / (1.0f - 0.2f), 0.9f, 0.01f);
    EXPECT_NEAR (x.back(), 0.2f, 1e-3f);
}

TEST (ADSREnvelope, ReleaseFallsToTenPercentAndNeverFinishes)
{
    Env e;
    e.env.setParams (0.0f, 0.01f, 0.6f, 0.1f);
    e.run (4096);
    e.env.release();
    EXPECT_EQ (e.env.getStage(), ADSREnvelope::releaseStage);
    const auto x = e.run (44100);
    EXPECT_NEAR (x[0], 0.6f, 1e-3f);
    EXPECT_NEAR (x[4410] / x[0], 0.1f, 0.005f);
    EXPECT_GT (x.back(), 0.0f);
    EXPECT_EQ (e.env.getStage(), ADSREnvelope::releaseStage);
}

TEST (ADSREnvelope, ScheduledReleaseTakesEffectAfterTheNextDecayBlock)
{
    Env e;
    e.env.setParams (0.0f, 0.05f, 0.5f, 0.05f);
    e.run (512);
    e.env.scheduleRelease (0);
    const auto decayBlock = e.run (512);
    EXPECT_EQ (e.env.getStage(), ADSREnvelope::releaseStage);
    const auto releaseBlock = e.run (512);
    EXPECT_NEAR (releaseBlock[0], decayBlock.back(), 1e-6f);
    EXPECT_LT (releaseBlock[511], releaseBlock[0]);
}

TEST (ADSREnvelope, BlockSizeDoesNotChangeTheCurve)
{
    Env whole, single;
    whole.env.setParams (0.02f, 0.1f, 0.3f, 0.2f);
    single.env.setParams (0.02f, 0.1f, 0.3f, 0.2f);
    const auto x = whole.run (8192, 512);
    const auto y = single.run (8192, 1);
    for (size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR (x[i], y[i], 1e-5f) << i;
}

TEST (ADSREnvelope, ZeroReleaseFallsSilentAtOnce)
{
    Env e;
    e.env.setParams (0.0f, 0.01f, 0.6f, 0.0f);
    e.run (8192);
    e.env.release();
    const auto x = e.run (64);
    EXPECT_NEAR (x[0], 0.6f, 1e-3f);
    for (size_t i = 1; i < x.size(); ++i)
        ASSERT_EQ (x[i], 0.0f);
}

TEST (ADSREnvelope, BadParametersStayFinite)
{
    for (float t : { -1.0f, 1.0e9f, std::nanf ("") })
    {
        Env e;
        e.env.setParams (t, t, t, t);
        auto x = e.run (2000, 7);
        e.env.release();
        const auto y = e.run (2000, 9);
        x.insert (x.end(), y.begin(), y.end());
        EXPECT_TRUE (std::all_of (x.begin(), x.end(), [] (float v) { return std::isfinite (v); })) << t;
    }
}
