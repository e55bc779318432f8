#include "dsp/DSPContext.h"
#include "effects/WaveshaperEffect.h"

#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct ShaperCase
{
    float drive, mix;
    double knee; // b^4 of the curve u / (|u| + b^4)
};

class WaveshaperLaw : public ::testing::TestWithParam<ShaperCase>
{
};
} // namespace

// y = x (1 - mix^2) + mix^2 * 32600 / 32768 * u / (|u| + b^4), u = 1.0051534 x.
TEST_P (WaveshaperLaw, FollowsTheShapingCurveCrossfadedByTheSquareOfTheMix)
{
    const auto c = GetParam();
    DSPContext context;
    WaveshaperEffect shaper (context);
    shaper.drive = c.drive;
    shaper.mix = c.mix;

    auto input = EffectTest::noise (2 * 700, 3.0f);
    input[0] = 1.0e-4f; // inside the knee of the hard curve
    input[1] = -2.0e-4f;
    auto output = input;
    shaper.process (output.data(), 700);

    const double m2 = (double) c.mix * c.mix;
    for (size_t i = 0; i < input.size(); ++i)
    {
        const double x = input[i];
        const double u = 1.0051534 * x;
        const double expected = x * (1.0 - m2) + m2 * 0.994873046875 * u / (std::fabs (u) + c.knee);
        ASSERT_NEAR (output[i], expected, 2.0e-5 * std::fmax (1.0, std::fabs (expected))) << "value " << i;
    }
}

INSTANTIATE_TEST_SUITE_P (WaveshaperEffect, WaveshaperLaw,
                          ::testing::Values (ShaperCase { 1.0f, 1.0f, 0.0001 }, // almost a hard limit at +-1
                                             ShaperCase { 0.0f, 1.0f, 1.0 },    // the soft curve
                                             ShaperCase { 0.5f, 0.7f, 0.0915062 },
                                             ShaperCase { 0.3f, 0.25f, 0.2839824 }));

TEST (WaveshaperEffect, MixZeroReturnsTheInput)
{
    for (const float drive : { 0.0f, 0.5f, 1.0f })
    {
        DSPContext context;
        WaveshaperEffect shaper (context);
        shaper.drive = drive;
        shaper.mix = 0.0f;
        const auto input = EffectTest::noise (2 * 512, 4.0f);
        auto output = input;
        shaper.process (output.data(), 512);
        EXPECT_EQ (output, input) << "drive " << drive;
    }
}
