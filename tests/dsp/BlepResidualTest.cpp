#include "dsp/BlepResidual.h"
#include "dsp/OscTables.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
std::vector<float> drain (BlepResidual& residual, int n)
{
    std::vector<float> out ((size_t) n, 0.0f);
    residual.mixInto (out.data(), n);
    return out;
}
} // namespace

TEST (BlepResidual, LongModeSplicesThirtyOneSamplesOfTheResidual)
{
    const float* r = OscTables::stepResidual();
    for (float offset : { 0.0f, 0.25f, 0.5f + 1.0f / 128.0f, 1.0f })
    {
        BlepResidual residual;
        residual.addStep (offset, 2.0f);
        const auto out = drain (residual, 40);
        const float scaled = 64.0f * offset;
        const int base = (int) scaled;
        const float frac = scaled - (float) base;
        for (int j = 0; j < 31; ++j)
        {
            const int at = base + 64 * j;
            EXPECT_FLOAT_EQ (out[(size_t) j], 2.0f * (r[at] + (r[at + 1] - r[at]) * frac)) << offset << " " << j;
        }
        for (int j = 31; j < 40; ++j)
            EXPECT_EQ (out[(size_t) j], 0.0f);
    }
}

TEST (BlepResidual, OverlappingStepsAddUp)
{
    BlepResidual both, first, second;
    both.addStep (0.3f, 1.0f);
    first.addStep (0.3f, 1.0f);
    const auto a = drain (both, 5);
    const auto b = drain (first, 5);
    EXPECT_EQ (a, b);
    both.addStep (0.7f, -0.5f);
    second.addStep (0.7f, -0.5f);
    const auto c = drain (both, 40);
    const auto d = drain (first, 40);
    const auto e = drain (second, 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_NEAR (c[(size_t) i], d[(size_t) i] + e[(size_t) i], 1e-6f) << i;
}

TEST (BlepResidual, ShortModeReplacesTheStepStillSounding)
{
    const float* q = OscTables::shortStep();
    BlepResidual residual;
    residual.setShort (true);
    residual.addStep (0.5f, 1.0f);
    const auto first = drain (residual, 2);
    EXPECT_FLOAT_EQ (first[0], q[64 * 4]);
    EXPECT_FLOAT_EQ (first[1], q[64 * 4 + 1]);
    residual.addStep (0.0f, -2.0f);
    const auto second = drain (residual, 6);
    for (int k = 0; k < 4; ++k)
        EXPECT_FLOAT_EQ (second[(size_t) k], -2.0f * q[k]);
    EXPECT_EQ (second[4], 0.0f);
}

TEST (BlepResidual, OffsetsOutsideOneSampleCountAsZero)
{
    for (bool shortMode : { false, true })
        for (float offset : { -0.5f, 1.5f, 1.0e9f })
        {
            BlepResidual a, b;
            a.setShort (shortMode);
            b.setShort (shortMode);
            a.addStep (offset, 1.0f);
            b.addStep (0.0f, 1.0f);
            EXPECT_EQ (drain (a, 40), drain (b, 40)) << offset;
        }
}

TEST (BlepResidual, ShortModeAtAFullSampleUsesTheLastRow)
{
    const float* q = OscTables::shortStep();
    BlepResidual residual;
    residual.setShort (true);
    residual.addStep (1.0f, 1.0f);
    const auto out = drain (residual, 4);
    for (int k = 0; k < 4; ++k)
        EXPECT_FLOAT_EQ (out[(size_t) k], q[127 * 4 + k]);
}
