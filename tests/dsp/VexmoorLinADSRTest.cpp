#include "dsp/DSPContext.h"
#include "dsp/VexmoorLinADSR.h"

#include "DspTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
struct Env
{
    DSPContext context;
    VexmoorLinADSR env { context };

    std::vector<float> run (int total, int block = 512)
    {
        return dsptest::renderInBlocks ([this] (int n) { return env.process (n); }, total, block);
    }
};
} // namespace

TEST (VexmoorLinADSR, StraightLinesThroughAttackAndDecayToSustain)
{
    Env e;
    e.env.setParams (0.1f, 0.2f, 0.4f, 0.5f); // 4410, 8820 samples
    EXPECT_EQ (e.env.getStage(), ADSREnv::Attack);
    const auto x = e.run (4410 + 8820 + 1000);
    EXPECT_FLOAT_EQ (x[0], 0.0f);
    EXPECT_NEAR (x[2205], 0.5f, 1e-4f);
    EXPECT_NEAR (x[4409], 1.0f, 1e-3f);
    EXPECT_NEAR (x[4410 + 4410], 0.7f, 1e-3f); // half way down to 0.4
    EXPECT_NEAR (x[4410 + 8820 + 10], 0.4f, 1e-3f);
    EXPECT_EQ (e.env.getStage(), ADSREnv::Sustain);
}

TEST (VexmoorLinADSR, ShortStagesAreSkipped)
{
    Env decaying;
    decaying.env.setParams (0.01f, 0.5f, 0.3f, 0.2f);
    EXPECT_EQ (decaying.env.getStage(), ADSREnv::Decay);
    EXPECT_FLOAT_EQ (decaying.run (1)[0], 1.0f);

    Env sustaining;
    sustaining.env.setParams (0.01f, 0.01f, 0.3f, 0.2f);
    EXPECT_EQ (sustaining.env.getStage(), ADSREnv::Sustain);
    EXPECT_FLOAT_EQ (sustaining.run (64)[63], 0.3f);
}

TEST (VexmoorLinADSR, ReleaseTakesItsFullTimeFromTheCurrentLevel)
{
    for (float from : { 0.3f, 0.9f })
    {
        Env e;
        e.env.setParams (0.01f, 0.01f, from, 0.1f); // 4410 samples of release
        e.run (512);
        e.env.release();
        const auto x = e.run (4410 + 512);
        EXPECT_NEAR (x[0], from, 1e-6f);
        EXPECT_NEAR (x[2205], from * 0.5f, 1e-3f);
        EXPECT_EQ (x[4410 + 1], 0.0f);
        EXPECT_EQ (e.env.getStage(), ADSREnv::Done);
    }
}

TEST (VexmoorLinADSR, ReleaseShorterThanABlockEndsInsideIt)
{
    Env e;
    e.env.setParams (0.0f, 0.0f, 0.8f, 0.002f); // 88 samples
    e.run (512);
    e.env.release();
    const auto x = e.run (512);
    EXPECT_NEAR (x[44], 0.4f, 0.01f);
    for (int i = 89; i < 512; ++i)
        ASSERT_EQ (x[(size_t) i], 0.0f) << i;
    EXPECT_EQ (e.env.getStage(), ADSREnv::Done);
}

TEST (VexmoorLinADSR, ScheduledReleaseStartsAtTheRequestedSample)
{
    Env e;
    e.env.setParams (0.1f, 0.1f, 0.5f, 0.05f);
    e.env.scheduleRelease (1000);
    const auto x = e.run (1000 + 2205 + 10);
    EXPECT_NEAR (x[999], 1000.0f / 4410.0f, 1e-3f);
    EXPECT_LT (x[1100], x[999]);
    EXPECT_EQ (x[1000 + 2205 + 5], 0.0f);
}

TEST (VexmoorLinADSR, ZeroTimesAndOddBlocksStayFinite)
{
    for (float t : { 0.0f, -3.0f, std::nanf ("") })
    {
        Env e;
        e.env.setParams (t, t, t, t);
        auto x = e.run (1000, 3);
        e.env.release();
        const auto y = e.run (1000, 1);
        x.insert (x.end(), y.begin(), y.end());
        EXPECT_TRUE (std::all_of (x.begin(), x.end(), [] (float v) { return std::isfinite (v); })) << t;
        EXPECT_EQ (e.env.getStage(), ADSREnv::Done);
    }
}
