#include "DspTestSupport.h"

#include "dsp/DSPContext.h"
#include "dsp/NoiseGen.h"
#include "dsp/OscTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

using namespace dsptest;

namespace
{
std::vector<float> renderNoise (NoiseGen& noise, float color, int total)
{
    return renderInBlocks (
        [&] (int n) {
            noise.setColor (color);
            return noise.render (n);
        },
        total);
}

/** Mean power in a band of the spectrum (cycles per sample). */
double bandPower (const std::vector<float>& x, double low, double high)
{
    const int n = 8192;
    double sum = 0.0;
    int count = 0;
    for (int start = 0; start + n <= (int) x.size(); start += n)
    {
        const auto mag = spectrum (x.data() + start, n);
        for (int i = (int) (low * n); i <= (int) (high * n); ++i, ++count)
            sum += mag[(size_t) i] * mag[(size_t) i];
    }
    return sum / count;
}
} // namespace

TEST (NoiseGen, TableFollowsItsTwoWordRecurrence)
{
    const float* table = OscTables::noise();
    std::uint32_t a = 0xEFCDAB89u, b = 0x67452301u;
    for (int i = 0; i < OscTables::kNoiseSize; ++i)
    {
        ASSERT_EQ (table[i], (float) (std::int32_t) a * 4.190951474747351e-10f) << i;
        b ^= a;
        a += b;
    }
    EXPECT_FLOAT_EQ (table[0], (float) (std::int32_t) 0xEFCDAB89u * 4.190951474747351e-10f);
}

TEST (NoiseGen, WhiteAtColourOneHalfAndLoopsAfterTheWrapIndex)
{
    DSPContext context;
    NoiseGen noise (context);
    const float* table = OscTables::noise();
    noise.setColor (0.5f);
    int index = 0;
    for (int block = 0; block < 350; ++block)
    {
        const float* y = noise.render (512);
        for (int i = 0; i < 512; ++i)
        {
            ASSERT_EQ (y[i], table[index]) << block << " " << i;
            index = index == NoiseGen::kWrapIndex ? 0 : index + 1;
        }
    }
    EXPECT_LT (index, 176000); // wrapped once
}

TEST (NoiseGen, ColourBelowOneHalfLowPassesAboveHighPasses)
{
    DSPContext context;
    NoiseGen white (context), dark (context), bright (context), nearlyWhite (context);
    const auto w = renderNoise (white, 0.5f, 65536);
    const auto d = renderNoise (dark, 0.1f, 65536);   // low-pass at 2^(0.2 * 9.28 + 5) = 116 Hz
    const auto b = renderNoise (bright, 0.9f, 65536); // high-pass at 2^(0.8 * 9.28 + 5) = 5.6 kHz
    const auto n = renderNoise (nearlyWhite, 0.49f, 65536); // low-pass at about 17.5 kHz

    const double highW = bandPower (w, 0.2, 0.3), lowW = bandPower (w, 0.0005, 0.001);
    EXPECT_LT (dB (std::sqrt (bandPower (d, 0.2, 0.3) / highW)), -60.0);
    EXPECT_NEAR (dB (std::sqrt (bandPower (d, 0.0005, 0.001) / lowW)), 0.0, 3.0);
    EXPECT_LT (dB (std::sqrt (bandPower (b, 0.0005, 0.001) / lowW)), -60.0);
    EXPECT_NEAR (dB (std::sqrt (bandPower (b, 0.2, 0.3) / highW)), 0.0, 3.0);
    EXPECT_NEAR (dB (std::sqrt (bandPower (n, 0.05, 0.15) / bandPower (w, 0.05, 0.15))), 0.0, 1.5);
    EXPECT_LT (dB (std::sqrt (bandPower (n, 0.47, 0.49) / bandPower (w, 0.47, 0.49))), -6.0);
}

TEST (NoiseGen, AnyBlockSizeAndColourStayFinite)
{
    DSPContext context;
    NoiseGen noise (context);
    for (float color : { -3.0f, 0.0f, 0.2f, 0.51f, 1.0f, 9.0f })
        for (int n : { 1, 3, 512, NoiseGen::kMaxBlock, 10000 })
        {
            noise.setColor (color);
            const float* y = noise.render (n);
            ASSERT_TRUE (allFinite (y, std::min (n, NoiseGen::kMaxBlock))) << color << " " << n;
        }
}
