#include "DspTestSupport.h"

#include "dsp/DSPContext.h"
#include "dsp/FilterFX.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace dsptest;

namespace
{
struct BadInput
{
    const char* name;
    float cutoff;
    float resonance;
};

const BadInput kBadInputs[] = {
    { "far above", 100.0f, 0.5f },
    { "far below", -100.0f, 0.5f },
    { "huge", 1.0e30f, 1.0f },
    { "not a number", std::numeric_limits<float>::quiet_NaN(), 0.5f },
    { "resonance below", 0.5f, -5.0f },
    { "resonance above", 0.5f, 5.0f },
    { "both", 3.0f, 3.0f },
};
} // namespace

class FilterFXRobustness : public ::testing::TestWithParam<int>
{
};

TEST_P (FilterFXRobustness, BadCutoffAndResonanceGiveFiniteOutput)
{
    for (const auto& bad : kBadInputs)
        for (int is24dB : { 0, 1 })
        {
            DSPContext context;
            FilterFX filter (context);
            filter.setType (GetParam());
            filter.set24dB (is24dB);
            std::vector<float> cutoff (FilterFX::kMaxBlock, bad.cutoff);
            // Loud input that also swings beyond the cutoff range over the block.
            for (int block = 0; block < 8; ++block)
            {
                auto x = sine (0.01 + 0.05 * block, FilterFX::kMaxBlock, 3.0);
                filter.process (x.data(), cutoff.data(), (int) x.size(), bad.resonance);
                ASSERT_TRUE (allFinite (x.data(), (int) x.size())) << bad.name << " 24dB " << is24dB;
            }
        }
}

TEST_P (FilterFXRobustness, AnyBlockSizeFromOneSample)
{
    DSPContext context;
    FilterFX filter (context);
    filter.setType (GetParam());
    std::vector<float> cutoff (5000);
    for (size_t i = 0; i < cutoff.size(); ++i)
        cutoff[i] = -1.5f + 4.0f * (float) i / (float) cutoff.size(); // sweeps far outside 0..1
    for (int n : { 1, 2, 31, 33, 512, FilterFX::kMaxBlock, 5000 })
    {
        auto x = sine (0.013, n, 0.9);
        filter.process (x.data(), cutoff.data(), n, 0.95f);
        ASSERT_TRUE (allFinite (x.data(), n)) << n;
    }
}

TEST_P (FilterFXRobustness, ResonanceOneStaysBounded)
{
    DSPContext context;
    FilterFX filter (context);
    filter.setType (GetParam());
    filter.set24dB (1);
    std::vector<float> cutoff (512);
    float peak = 0.0f;
    for (int block = 0; block < 400; ++block)
    {
        // A slow sweep over the whole range with a loud tone.
        const float u = (float) (block % 100) / 100.0f;
        std::fill (cutoff.begin(), cutoff.end(), u);
        auto x = sine (0.002 + 0.0005 * (block % 37), 512, 1.0);
        filter.process (x.data(), cutoff.data(), 512, 1.0f);
        for (float v : x)
            peak = std::max (peak, std::fabs (v));
    }
    EXPECT_TRUE (std::isfinite (peak));
    EXPECT_LT (peak, 1.0e4f);
}

INSTANTIATE_TEST_SUITE_P (AllTypes, FilterFXRobustness, ::testing::Range (0, FilterFX::typeCount + 2));
