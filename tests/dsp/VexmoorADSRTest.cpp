#include "dsp/DSPContext.h"
#include "dsp/VexmoorADSR.h"

#include "DspTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr float kRate = 44100.0f;

struct Env
{
    DSPContext context;
    VexmoorADSR env { context };

    Env (float a, float d, float s, float r)
    {
        env.setAttack (a);
        env.setDecay (d);
        env.setSustain (s);
        env.setRelease (r);
        env.scheduleRelease (-1);
    }

    std::vector<float> run (int total, int block = 512)
    {
        return dsptest::renderInBlocks ([this] (int n) { return env.process (n); }, total, block);
    }
};
} // namespace

TEST (VexmoorADSR, AttackTableFollowsTheChargeCurve)
{
    const float* atk = VexmoorADSR::attackTable();
    EXPECT_NEAR (atk[0], 3.5993e-05f, 1e-9f);
    EXPECT_NEAR (atk[11025], 0.351141f, 1e-6f);
    EXPECT_NEAR (atk[22050], 0.624582f, 1e-6f);
    EXPECT_NEAR (atk[44099], 1.003373f, 1e-6f);
    for (int i = 1; i < VexmoorADSR::kAttackTableSize; ++i)
        ASSERT_GT (atk[i], atk[i - 1]);
}

TEST (VexmoorADSR, AttackFollowsTheTableOverTheAttackTime)
{
    Env e (0.1f, 1.0f, 0.5f, 0.3f);
    EXPECT_EQ (e.env.getStage(), ADSREnv::Attack);
    const auto x = e.run (4410 + 64);
    const float* atk = VexmoorADSR::attackTable();
    // Runs of 32 samples interpolate linearly between table points.
    EXPECT_FLOAT_EQ (x[0], atk[0]);
    const float step = (float) (1.0 / 4410 * 44099.0);
    EXPECT_FLOAT_EQ (x[32], atk[(int) (32 * step)]);
    EXPECT_NEAR (x[4409], 1.0f, 0.01f);
    EXPECT_EQ (e.env.getStage(), ADSREnv::Decay);
    EXPECT_LT (x[4410 + 60], x[4410]); // decaying
}

TEST (VexmoorADSR, ShortAttackStartsAtFullLevel)
{
    Env decaying (0.0005f, 0.5f, 0.5f, 0.3f);
    EXPECT_EQ (decaying.env.getStage(), ADSREnv::Decay);
    EXPECT_NEAR (decaying.run (1)[0], 1.0f, 1e-3f);

    Env sustaining (0.0005f, 0.5f, 1.0f, 0.3f);
    EXPECT_EQ (sustaining.env.getStage(), ADSREnv::Sustain);
    const auto x = sustaining.run (1024);
    EXPECT_EQ (x.front(), 1.0f);
    EXPECT_EQ (x.back(), 1.0f);
}

TEST (VexmoorADSR, SustainActsQuadratically)
{
    struct Case
    {
        float sustain;
        float settles;
    };
    for (const Case c : { Case { 0.5f, 0.25f }, Case { 0.8f, 0.64f }, Case { 0.1f, 0.01f } })
    {
        Env e (0.0f, 0.2f, c.sustain, 0.3f);
        const auto x = e.run (44100);
        EXPECT_NEAR (x.back(), c.settles, c.settles * 0.02f) << c.sustain;
        EXPECT_EQ (e.env.getStage(), ADSREnv::Sustain);
        // The decay ends after its time (0.2 s).
        EXPECT_NEAR (x[8819], c.settles, c.settles * 0.02f);
        EXPECT_GT (x[4410], c.settles * 1.05f);
    }
}

TEST (VexmoorADSR, ReleaseEndsWithinOneAndAHalfReleaseTimes)
{
    // Sustain 1: the release from 1.0 falls to 0.0005 in the release time and
    // stops below 0.0001, or at 1.5 times the release time at the latest.
    Env e (0.0f, 0.1f, 1.0f, 0.5f);
    e.run (1024);
    e.env.release();
    EXPECT_EQ (e.env.getStage(), ADSREnv::Release);
    int blocks = 0;
    while (e.env.getStage() != ADSREnv::Done && blocks < 1000)
    {
        e.run (512);
        ++blocks;
    }
    const int samples = blocks * 512;
    EXPECT_LE (samples, (int) (1.5 * 0.5 * kRate) + 512);
    EXPECT_GE (samples, (int) (0.5 * kRate));
    const auto after = e.run (512);
    EXPECT_TRUE (std::all_of (after.begin(), after.end(), [] (float v) { return v == 0.0f; }));
}

TEST (VexmoorADSR, ReleaseDuringAttackStartsFromTheLevelReached)
{
    Env e (1.0f, 1.0f, 0.5f, 0.2f);
    const auto x = e.run (11025);
    e.env.release();
    const auto y = e.run (64);
    EXPECT_NEAR (y[0], x.back(), 0.01f);
    EXPECT_NEAR (x.back(), 0.351f, 0.01f);
    EXPECT_LT (y[63], y[0]);
}

TEST (VexmoorADSR, ReleaseInReleaseOrDoneHasNoEffect)
{
    Env e (0.0f, 0.1f, 0.7f, 0.1f);
    e.run (2048);
    e.env.release();
    const auto a = e.run (1000);
    e.env.release(); // must not restart the release counter
    Env f (0.0f, 0.1f, 0.7f, 0.1f);
    f.run (2048);
    f.env.release();
    const auto b = f.run (1000);
    EXPECT_EQ (a, b);
    EXPECT_EQ (e.run (44100), f.run (44100));
    EXPECT_EQ (e.env.getStage(), ADSREnv::Done);
    e.env.release();
    EXPECT_EQ (e.env.getStage(), ADSREnv::Done);
}

TEST (VexmoorADSR, ScheduledReleaseStartsAtTheRequestedSample)
{
    for (int delay : { 1, 100, 700, 5000 })
    {
        Env e (0.05f, 0.3f, 0.6f, 0.2f);
        e.env.scheduleRelease (delay);
        Env reference (0.05f, 0.3f, 0.6f, 0.2f);
        const auto x = e.run (delay + 1000);
        std::vector<float> y = reference.run (delay);
        reference.env.release();
        const auto rest = reference.run (1000);
        y.insert (y.end(), rest.begin(), rest.end());
        ASSERT_EQ (x.size(), y.size());
        for (size_t i = 0; i < x.size(); ++i)
            ASSERT_FLOAT_EQ (x[i], y[i]) << delay << " at " << i;
        EXPECT_EQ (e.env.getStage(), ADSREnv::Release);
    }
}

TEST (VexmoorADSR, StartsInSustainAtFullLevelWhenBuilt)
{
    DSPContext context;
    VexmoorADSR env (context);
    EXPECT_EQ (env.getStage(), ADSREnv::Sustain);
    EXPECT_EQ (env.process (32)[31], 1.0f);
}

TEST (VexmoorADSR, OddBlockSizesAndBadTimesStayFinite)
{
    for (float t : { -1.0f, 0.0f, 1.0e9f, std::nanf ("") })
    {
        Env e (t, t, t, t);
        for (int n : { 1, 3, 31, 4096, 9000 })
        {
            const float* y = e.env.process (n);
            for (int i = 0; i < std::min (n, ADSREnv::kMaxBlock); ++i)
                ASSERT_TRUE (std::isfinite (y[i]) && y[i] >= 0.0f && y[i] <= 1.01f) << t << " " << n;
        }
        e.env.release();
        const auto x = e.run (3000, 7);
        EXPECT_TRUE (std::all_of (x.begin(), x.end(), [] (float v) { return std::isfinite (v); }));
    }
}
