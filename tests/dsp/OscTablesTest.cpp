#include "dsp/OscTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST (OscTables, SineHoldsOneCyclePlusTheWrapEntry)
{
    const float* s = OscTables::sine();
    for (int i = 0; i < OscTables::kTableSize; i += 7)
        ASSERT_EQ (s[i], (float) std::sin (i * 0.0030679615757712823)) << i;
    EXPECT_EQ (s[512], 1.0f);
    EXPECT_EQ (s[0], 0.0f);
    EXPECT_NEAR (s[2048], 0.0f, 1e-6f);
}

TEST (OscTables, TriangleIsSoftenedAndWrapsOnItself)
{
    const float* t = OscTables::triangle();
    EXPECT_EQ (t[2048], t[0]);
    // Smoothing rounds the corners: the peak stays a little under 1, and the
    // curve lags the straight triangle by about 19 entries per pass.
    float peak = -2.0f, trough = 2.0f;
    int peakAt = 0;
    for (int i = 0; i < 2048; ++i)
    {
        if (t[i] > peak)
        {
            peak = t[i];
            peakAt = i;
        }
        trough = std::min (trough, t[i]);
    }
    EXPECT_GT (peak, 0.9f);
    EXPECT_LT (peak, 1.0f);
    EXPECT_NEAR (trough, -peak, 1e-3f);
    EXPECT_GE (peakAt, 512);
    EXPECT_LT (peakAt, 512 + 150);
    // Straight in between: equal steps of 1/512 away from the corners.
    EXPECT_NEAR (t[1100] - t[1099], -1.0f / 512.0f, 1e-5f);
    EXPECT_NEAR (t[300] - t[299], 1.0f / 512.0f, 1e-4f);
}

TEST (OscTables, FadeRisesAlongARaisedCosine)
{
    const float* f = OscTables::fade();
    for (int i = 0; i < OscTables::kFadeSize; ++i)
        EXPECT_FLOAT_EQ (f[i], (float) (1.0 - (0.5 * std::cos (i * 0.0625 * M_PI) + 0.5))) << i;
    EXPECT_EQ (f[0], 0.0f);
    EXPECT_NEAR (f[8], 0.5f, 1e-6f);
}

TEST (OscTables, ShortStepIsAThreeSampleRaisedCosine)
{
    const float* q = OscTables::shortStep();
    struct Case
    {
        int row, tap;
        float value;
    };
    const Case cases[] = {
        { 0, 0, 1.0f }, { 0, 1, 0.75f }, { 0, 2, 0.25f }, { 0, 3, 0.0f },
        { 64, 0, (float) (0.5 + 0.5 * std::cos (M_PI * 0.5 / 3)) },
        { 64, 2, (float) (0.5 + 0.5 * std::cos (M_PI * 2.5 / 3)) },
        { 64, 3, 0.0f }, // t = 3.5 lies past the end
        { 127, 1, (float) (0.5 + 0.5 * std::cos (M_PI * (1.0 + 127.0 / 128) / 3)) },
    };
    for (const auto& c : cases)
        EXPECT_NEAR (q[c.row * 4 + c.tap], c.value, 1e-6f) << c.row << " " << c.tap;
}

TEST (OscTables, ExponentialTablesFallByTheRunningProduct)
{
    const float* e1 = OscTables::exponentialUnipolar();
    const float* e2 = OscTables::exponentialBipolar();
    float a = 1.0f;
    for (int i = 0; i < OscTables::kTableSize; ++i)
    {
        ASSERT_EQ (e1[i], a) << i;
        ASSERT_EQ (e2[i], 2.0f * a - 1.0f) << i;
        a *= 0.9953f;
    }
    EXPECT_NEAR (e1[2048], std::pow (0.9953, 2048), 1e-5);
}

TEST (OscTables, LookupInterpolatesAndWrapsAnyPhase)
{
    const float* s = OscTables::sine();
    const std::vector<float> phase = { 0.0f, 0.25f, 0.125f + 0.5f / 2048, -0.25f, 1.25f, -3.75f, 7.0f };
    std::vector<float> out (phase.size());
    OscTables::lookup (s, phase.data(), out.data(), (int) phase.size());
    EXPECT_EQ (out[0], 0.0f);
    EXPECT_EQ (out[1], 1.0f);
    EXPECT_FLOAT_EQ (out[2], s[256] + (s[257] - s[256]) * 0.5f);
    EXPECT_EQ (out[3], -1.0f);
    EXPECT_EQ (out[4], 1.0f);
    EXPECT_EQ (out[5], 1.0f);
    EXPECT_EQ (out[6], 0.0f);
}

TEST (OscTables, SineTriangleLookupBlendsTheTwoTables)
{
    const float* s = OscTables::sine();
    const float* t = OscTables::triangle();
    const std::vector<float> phase = { 0.1f, 0.3333f, 0.77f };
    std::vector<float> out (phase.size()), sine (phase.size()), tri (phase.size());
    OscTables::lookupSineTriangle (0.3f, phase.data(), out.data(), 3);
    OscTables::lookup (s, phase.data(), sine.data(), 3);
    OscTables::lookup (t, phase.data(), tri.data(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR (out[(size_t) i], sine[(size_t) i] + (tri[(size_t) i] - sine[(size_t) i]) * 0.3f, 1e-6f);
    OscTables::lookupSineTriangle (0.0f, phase.data(), out.data(), 3);
    EXPECT_EQ (out, sine);
}
