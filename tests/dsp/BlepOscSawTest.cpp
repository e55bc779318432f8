#include "OscTestRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace dsptest;

namespace
{
constexpr int kLength = 32768;

/** Strongest spectral component that is not a harmonic of f0 (in dB re the
    fundamental): what the oscillator folds back below Nyquist. */
double strongestAliasDb (const std::vector<float>& x, double f0)
{
    constexpr int skip = 4096;
    const int n = 16384;
    const auto mag = spectrum (x.data() + skip, n);
    const int fb = (int) std::lround (f0 * n);
    double fundamental = 0.0;
    for (int i = fb - 4; i <= fb + 4; ++i)
        fundamental = std::max (fundamental, mag[(size_t) i]);
    double worst = 0.0;
    for (int i = 8; i < (int) mag.size(); ++i)
    {
        const double f = (double) i / n;
        const double k = f / f0;
        if (std::fabs (k - std::round (k)) * f0 * n < 6.0)
            continue;
        worst = std::max (worst, mag[(size_t) i]);
    }
    return dB (worst / fundamental);
}
} // namespace

class SawPitch : public ::testing::TestWithParam<double>
{
};

TEST_P (SawPitch, FundamentalAtTheRequestedPitch)
{
    OscRig rig;
    const auto x = rig.render (OscMode::Saw, GetParam(), kLength);
    EXPECT_NEAR (hz (peakFrequency (x.data() + 4096, 16384, cycles (20.0))), GetParam(), GetParam() * 0.002);
}

INSTANTIATE_TEST_SUITE_P (Pitches, SawPitch, ::testing::Values (55.0, 440.0, 1000.0, 5000.0, 12000.0));

TEST (BlepOsc, SawAtOneOctaveBelowWhenWidthIsOne)
{
    OscRig rig;
    const auto x = rig.render (OscMode::Saw, 880.0, kLength, 1.0f);
    EXPECT_NEAR (hz (peakFrequency (x.data() + 4096, 16384)), 440.0, 1.0);
}

TEST (BlepOsc, OctaveBlendMixesInTheOctaveBelow)
{
    struct Case
    {
        float blend;
        double minSubDb, maxSubDb; // level at f/2 relative to the level at f
    };
    const Case cases[] = { { 0.0f, -300.0, -80.0 }, { 0.25f, -20.0, -8.0 }, { 0.5f, -10.0, 0.0 }, { 1.0f, 3.0, 12.0 } };
    for (const auto& c : cases)
    {
        OscRig rig;
        const auto x = rig.render (OscMode::Saw, 1000.0, kLength, c.blend);
        const double sub = amplitudeAt (x.data() + 4096, 16384, cycles (500.0));
        const double main = amplitudeAt (x.data() + 4096, 16384, cycles (1000.0));
        EXPECT_GT (dB (sub / main), c.minSubDb) << c.blend;
        EXPECT_LT (dB (sub / main), c.maxSubDb) << c.blend;
    }
}

TEST (BlepOsc, SawSwingsBetweenTheLevels)
{
    OscRig rig;
    const auto x = rig.render (OscMode::Saw, 100.0, 8192);
    const auto [lo, hi] = std::minmax_element (x.begin() + 1000, x.end());
    // The ramp tops out at +0.6; the band-limited fall overshoots below -0.6
    // by the step's overshoot (about a fifth of the 1.2 jump).
    EXPECT_NEAR (*hi, 0.6f, 0.01f);
    EXPECT_LT (*lo, -0.6f);
    EXPECT_GT (*lo, -0.6f - 1.2f * 0.3f);
}

TEST (BlepOsc, SawAliasingStaysFarDown)
{
    for (double f : { 1000.0, 5000.0 })
    {
        OscRig rig;
        const auto x = rig.render (OscMode::Saw, f, 4096 + 16384);
        EXPECT_LT (strongestAliasDb (x, cycles (f)), -70.0) << f;
    }
}

TEST (BlepOsc, HardSyncLocksToTheMasterPeriod)
{
    // Master 441 Hz: a period of exactly 100 samples; the slave runs at 651 Hz.
    for (OscMode mode : { OscMode::Saw, OscMode::Pulse })
    {
        OscRig rig;
        const auto x = rig.render (mode, 651.0, 8192, 0.0f, 0.5f, 512, 441.0);
        double worst = 0.0;
        for (int i = 2000; i < 8000; ++i)
            worst = std::max (worst, (double) std::fabs (x[(size_t) i + 100] - x[(size_t) i]));
        EXPECT_LT (worst, 2e-3) << (int) mode;

        OscRig free;
        const auto y = free.render (mode, 651.0, 8192);
        double differs = 0.0;
        for (int i = 2000; i < 8000; ++i)
            differs = std::max (differs, (double) std::fabs (y[(size_t) i + 100] - y[(size_t) i]));
        EXPECT_GT (differs, 0.3) << (int) mode;
    }
}

TEST (BlepOsc, RandomStartBeginsAtDifferentPoints)
{
    OscRig a, b;
    a.osc.setRandomStart (true);
    b.osc.setRandomStart (true);
    const auto x = a.render (OscMode::Saw, 440.0, 2048);
    const auto y = b.render (OscMode::Saw, 440.0, 2048);
    EXPECT_NE (x, y);
    EXPECT_NEAR (hz (peakFrequency (a.render (OscMode::Saw, 440.0, 16384).data(), 16384)), 440.0, 1.0);
}

TEST (BlepOsc, OutOfRangeFrequenciesGiveFiniteBoundedOutput)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (OscMode mode : { OscMode::Saw, OscMode::Pulse, OscMode::SineTri, OscMode::SuperSaw })
        for (float f : { 0.0f, -0.3f, 0.49f, 0.7f, 5.0f, 1.0e9f, nan })
            for (bool sync : { false, true })
            {
                OscRig rig;
                std::fill (rig.freq.begin(), rig.freq.end(), f);
                std::fill (rig.sync.begin(), rig.sync.end(), f);
                std::fill (rig.pwm.begin(), rig.pwm.end(), 7.0f);
                rig.osc.setFmInput (mode == OscMode::SineTri && sync);
                rig.osc.setSync (sync);
                for (int block = 0; block < 20; ++block)
                {
                    rig.osc.setParams (mode, 0.3f, 0.5f);
                    rig.osc.setInputs (rig.freq.data(), rig.pwm.data(), rig.sync.data());
                    const int n = block % 2 == 0 ? 512 : 1;
                    const float* y = rig.osc.render (n);
                    for (int i = 0; i < n; ++i)
                        ASSERT_TRUE (std::isfinite (y[i]) && std::fabs (y[i]) < 4.0f)
                            << (int) mode << " f " << f << " sync " << sync << " value " << y[i];
                }
            }
}

TEST (BlepOsc, BlockSizeDoesNotChangeTheWave)
{
    for (OscMode mode : { OscMode::Saw, OscMode::Pulse, OscMode::SineTri })
    {
        OscRig whole, single;
        const auto x = whole.render (mode, 1234.0, 4096, 0.3f, 0.4f, 512);
        const auto y = single.render (mode, 1234.0, 4096, 0.3f, 0.4f, 1);
        const auto z = single.render (mode, 1234.0, 2048 * 3, 0.3f, 0.4f, 2048);
        ASSERT_EQ (x.size(), y.size());
        for (size_t i = 0; i < x.size(); ++i)
            ASSERT_NEAR (x[i], y[i], 2e-3f) << (int) mode << " at " << i;
        EXPECT_TRUE (allFinite (z.data(), (int) z.size()));
    }
}

TEST (BlepOsc, OffWritesSilence)
{
    OscRig rig;
    const auto x = rig.render (OscMode::Off, 440.0, 1024);
    EXPECT_TRUE (std::all_of (x.begin(), x.end(), [] (float v) { return v == 0.0f; }));
}

TEST (BlepOsc, ModeChangeRestartsTheWave)
{
    OscRig a, b;
    a.render (OscMode::Pulse, 300.0, 1000);
    const auto x = a.render (OscMode::Saw, 440.0, 1024);
    const auto y = b.render (OscMode::Saw, 440.0, 1024);
    EXPECT_EQ (x, y);
}

TEST (BlepOsc, SawStaysCentredAtAnyPitch)
{
    // The band-limited edges lag the naive ones; uncorrected, high notes would
    // carry a DC offset of up to half the swing.
    for (bool shortResidual : { false, true })
        for (float blend : { 0.0f, 0.5f })
            for (double f : { 1000.0, 5000.0, 10000.0 })
            {
                OscRig rig;
                rig.osc.setShortBlep (shortResidual);
                const auto x = rig.render (OscMode::Saw, f, 44100, blend);
                double mean = 0.0;
                for (size_t i = 4410; i < x.size(); ++i)
                    mean += x[i];
                mean /= (double) (x.size() - 4410);
                EXPECT_LT (std::fabs (mean), 0.02) << "short " << shortResidual << " blend " << blend << " at " << f;
            }
}
