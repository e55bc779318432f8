#include "OscTestRig.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace dsptest;

class PulsePitch : public ::testing::TestWithParam<double>
{
};

TEST_P (PulsePitch, FundamentalAtTheRequestedPitch)
{
    OscRig rig;
    const auto x = rig.render (OscMode::Pulse, GetParam(), 4096 + 16384, 0.0f, 1.0f);
    EXPECT_NEAR (hz (peakFrequency (x.data() + 4096, 16384)), GetParam(), GetParam() * 0.002);
}

INSTANTIATE_TEST_SUITE_P (Pitches, PulsePitch, ::testing::Values (110.0, 1000.0, 5000.0, 9000.0));

TEST (BlepOsc, PulseIsHighForTheRestOfThePulseWidth)
{
    // pw = width * 0.495 + 0.01 of the period is low, the rest high.
    for (float width : { 0.0f, 0.5f, 1.0f })
    {
        OscRig rig;
        const auto x = rig.render (OscMode::Pulse, 100.0, 44100, 0.0f, width);
        const auto high = std::count_if (x.begin() + 441, x.end(), [] (float v) { return v > 0.0f; });
        const double pw = width * 0.5 * 0.99 + 0.01;
        EXPECT_NEAR ((double) high / (double) (x.size() - 441), 1.0 - pw, 0.01) << width;
    }
}

TEST (BlepOsc, PulseBecomesASquareOneOctaveBelowWhenBlendIsOne)
{
    OscRig rig;
    const auto x = rig.render (OscMode::Pulse, 1000.0, 4096 + 16384, 1.0f, 0.3f);
    const double sub = amplitudeAt (x.data() + 4096, 16384, cycles (500.0));
    const double even = amplitudeAt (x.data() + 4096, 16384, cycles (1000.0));
    const double third = amplitudeAt (x.data() + 4096, 16384, cycles (1500.0));
    EXPECT_LT (dB (even / sub), -40.0);
    EXPECT_NEAR (dB (third / sub), dB (1.0 / 3.0), 1.0);
    // A square of +-0.6: fundamental 4/pi * 0.6.
    EXPECT_NEAR (sub, 4.0 / M_PI * 0.6, 0.03);
}

TEST (BlepOsc, PulseWidthFollowsThePwmInput)
{
    OscRig rig;
    std::fill (rig.freq.begin(), rig.freq.end(), (float) cycles (100.0));
    std::fill (rig.pwm.begin(), rig.pwm.end(), 1.0f); // pw 0.505 whatever the static width
    std::vector<float> out;
    for (int block = 0; block < 40; ++block)
    {
        rig.osc.setParams (OscMode::Pulse, 0.0f, 0.0f);
        rig.osc.setInputs (rig.freq.data(), rig.pwm.data(), nullptr);
        const float* y = rig.osc.render (512);
        out.insert (out.end(), y, y + 512);
    }
    const auto high = std::count_if (out.begin() + 1000, out.end(), [] (float v) { return v > 0.0f; });
    EXPECT_NEAR ((double) high / (double) (out.size() - 1000), 0.495, 0.01);
}

TEST (BlepOsc, PulseAliasingStaysFarDown)
{
    OscRig rig;
    const auto x = rig.render (OscMode::Pulse, 5000.0, 4096 + 16384, 0.0f, 1.0f);
    const auto mag = spectrum (x.data() + 4096, 16384);
    const double f0 = cycles (5000.0);
    double fundamental = 0.0, worst = 0.0;
    for (int i = 1; i < (int) mag.size(); ++i)
    {
        const double k = ((double) i / 16384) / f0;
        if (std::fabs (k - 1.0) * f0 * 16384 < 6.0)
            fundamental = std::max (fundamental, mag[(size_t) i]);
        else if (i > 8 && std::fabs (k - std::round (k)) * f0 * 16384 >= 6.0)
            worst = std::max (worst, mag[(size_t) i]);
    }
    EXPECT_LT (dB (worst / fundamental), -70.0);
}
