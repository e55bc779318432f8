#include "dsp/DSPContext.h"
#include "effects/B3EQEffect.h"

#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

TEST (B3EQEffect, UnityBandsGiveTheInputThreeSamplesLate)
{
    DSPContext context;
    B3EQEffect eq (context);
    eq.eqLow = eq.eqHigh = 0.5f;
    const auto input = EffectTest::noise (2 * 2048);
    auto output = input;
    EffectTest::runBlocks (eq, output, 300);

    for (int c = 0; c < 2; ++c)
    {
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR (output[(size_t) (2 * i + c)], 0.0f, 1.0e-6f);
        for (int i = 3; i < 2048; ++i)
            ASSERT_NEAR (output[(size_t) (2 * i + c)], input[(size_t) (2 * (i - 3) + c)], 1.0e-6f) << "frame " << i;
    }
}

TEST (B3EQEffect, MutedLowBandLeavesTheLateInputMinusThe880HzBand)
{
    DSPContext context;
    B3EQEffect eq (context);
    eq.eqLow = 0.0f;
    eq.eqHigh = 0.5f;
    const auto input = EffectTest::noise (2 * 2048);
    auto output = input;
    EffectTest::runBlocks (eq, output);

    const float coef = (float) (2.0 * std::sin ((double) (880.0f / 44100.0f) * 3.14593));
    float s[4] = {};
    for (int i = 0; i < 2048; ++i)
    {
        float band = input[(size_t) (2 * i)];
        for (float& stage : s)
            band = stage = stage + (band - stage) * coef;
        const float late = i >= 3 ? input[(size_t) (2 * (i - 3))] : 0.0f;
        ASSERT_NEAR (output[(size_t) (2 * i)], late - band, 1.0e-6f) << "frame " << i;
    }
}

namespace
{
struct BandCase
{
    double hz;
    float eqLow, eqHigh;
    double roughly, margin; // what a listener would expect of the band
};

class EqualiserBand : public ::testing::TestWithParam<BandCase>
{
};

/** The equaliser's gain at hz from its structure: four one-poles at 880 Hz
    give the low band, four at 5000 Hz the rest of the low-pass, the direct
    path is three samples late; the high band is the direct path minus that
    low-pass. */
double modelGain (double hz, float eqLow, float eqHigh)
{
    using C = std::complex<double>;
    const double w = 2.0 * M_PI * hz / 44100.0;
    const C z1 = std::polar (1.0, -w);
    auto fourPoles = [&] (double cutoff) {
        const double c = (double) (float) (2.0 * std::sin ((double) ((float) cutoff / 44100.0f) * 3.14593));
        return std::pow (c / (1.0 - (1.0 - c) * z1), 4);
    };
    const C low = fourPoles (880.0);
    const C lp = fourPoles (5000.0);
    const C direct = std::polar (1.0, -3.0 * w);
    const C high = direct - lp;
    const C mid = direct - (high + low);
    return std::abs (mid + low * (4.0 * eqLow * eqLow) + high * (4.0 * eqHigh * eqHigh));
}
} // namespace

TEST_P (EqualiserBand, LevelOfAToneFollowsTheBandGains)
{
    const auto c = GetParam();
    DSPContext context;
    B3EQEffect eq (context);
    eq.eqLow = c.eqLow;
    eq.eqHigh = c.eqHigh;
    auto signal = EffectTest::sine (32768, c.hz, 44100.0);
    EffectTest::runBlocks (eq, signal);
    const double expected = modelGain (c.hz, c.eqLow, c.eqHigh);
    const double level = EffectTest::peak (signal, 0, 16384, 32768) / 0.5;
    EXPECT_NEAR (level, expected, 0.01 * expected + 0.002) << c.hz << " Hz";
    EXPECT_NEAR (level, c.roughly, c.margin) << c.hz << " Hz";
}

INSTANTIATE_TEST_SUITE_P (B3EQEffect, EqualiserBand,
                          ::testing::Values (BandCase { 60.0, 1.0f, 0.5f, 4.0, 0.1 },  // the low band four times
                                             BandCase { 60.0, 0.0f, 0.5f, 0.0, 0.3 },  // the low band removed
                                             BandCase { 60.0, 0.5f, 0.0f, 1.0, 0.05 }, // the high band has no say
                                             BandCase { 12000.0, 0.5f, 1.0f, 4.0, 0.5 },
                                             BandCase { 12000.0, 0.5f, 0.0f, 0.0, 0.3 },
                                             BandCase { 12000.0, 1.0f, 0.5f, 1.0, 0.05 }));
