#include "dsp/AlignedBuffer.h"
#include "dsp/VectorOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
// Every primitive is checked at each offset from an aligned start, so that a
// vectorised path that assumed alignment would show up.
constexpr int kLength = 37;

struct Arrays
{
    AlignedBuffer<float> a { 64 }, b { 64 }, c { 64 }, out { 64 };

    Arrays()
    {
        for (int i = 0; i < 64; ++i)
        {
            a[(size_t) i] = 0.25f * (float) i - 3.0f;
            b[(size_t) i] = 1.0f + 0.5f * (float) (i % 7);
            c[(size_t) i] = (float) (i % 5) - 2.0f;
        }
    }
};

class VectorOpsTest : public ::testing::TestWithParam<int>
{
public:
    Arrays arrays;
    int offset() const { return GetParam(); }
    float* a() { return arrays.a.get() + offset(); }
    float* b() { return arrays.b.get() + offset(); }
    float* c() { return arrays.c.get() + offset(); }
    float* out() { return arrays.out.get() + offset(); }
};
} // namespace

TEST_P (VectorOpsTest, ElementWiseOperations)
{
    struct Case
    {
        const char* name;
        void (*run) (VectorOpsTest&);
        float (*expect) (float a, float b, float c);
    };
    const Case cases[] = {
        { "fill", [] (VectorOpsTest& t) { vec::fill (t.out(), 2.5f, kLength); }, [] (float, float, float) { return 2.5f; } },
        { "copy", [] (VectorOpsTest& t) { vec::copy (t.out(), t.a(), kLength); }, [] (float a, float, float) { return a; } },
        { "scale", [] (VectorOpsTest& t) { vec::scale (t.out(), t.a(), 3.0f, kLength); }, [] (float a, float, float) { return a * 3.0f; } },
        { "addScalar", [] (VectorOpsTest& t) { vec::addScalar (t.out(), t.a(), 0.5f, kLength); }, [] (float a, float, float) { return a + 0.5f; } },
        { "add", [] (VectorOpsTest& t) { vec::add (t.out(), t.a(), t.b(), kLength); }, [] (float a, float b, float) { return a + b; } },
        { "subtract", [] (VectorOpsTest& t) { vec::subtract (t.out(), t.a(), t.b(), kLength); }, [] (float a, float b, float) { return a - b; } },
        { "multiply", [] (VectorOpsTest& t) { vec::multiply (t.out(), t.a(), t.b(), kLength); }, [] (float a, float b, float) { return a * b; } },
        { "divide", [] (VectorOpsTest& t) { vec::divide (t.out(), t.a(), t.b(), kLength); }, [] (float a, float b, float) { return a / b; } },
        { "divideScalarBy", [] (VectorOpsTest& t) { vec::divideScalarBy (t.out(), 2.0f, t.b(), kLength); }, [] (float, float b, float) { return 2.0f / b; } },
        { "abs", [] (VectorOpsTest& t) { vec::abs (t.out(), t.a(), kLength); }, [] (float a, float, float) { return std::fabs (a); } },
        { "clip", [] (VectorOpsTest& t) { vec::clip (t.out(), t.a(), -1.0f, 2.0f, kLength); }, [] (float a, float, float) { return std::fmin (std::fmax (a, -1.0f), 2.0f); } },
        { "multiplyAdd", [] (VectorOpsTest& t) { vec::multiplyAdd (t.out(), t.a(), t.b(), t.c(), kLength); }, [] (float a, float b, float c) { return a * b + c; } },
        { "scalarMultiplyAdd", [] (VectorOpsTest& t) { vec::scalarMultiplyAdd (t.out(), 0.5f, t.a(), t.c(), kLength); }, [] (float a, float, float c) { return 0.5f * a + c; } },
        { "blend", [] (VectorOpsTest& t) { vec::blend (t.out(), t.a(), t.b(), 0.25f, kLength); }, [] (float a, float b, float) { return a + (b - a) * 0.25f; } },
    };
    for (const auto& test : cases)
    {
        test.run (*this);
        for (int i = 0; i < kLength; ++i)
            EXPECT_EQ (out()[i], test.expect (a()[i], b()[i], c()[i])) << test.name << " at " << i;
    }
}

TEST_P (VectorOpsTest, InPlaceUseGivesTheSameResult)
{
    float expected[kLength];
    vec::multiply (expected, a(), b(), kLength);
    vec::multiply (a(), a(), b(), kLength);
    for (int i = 0; i < kLength; ++i)
        EXPECT_EQ (a()[i], expected[i]);
}

TEST_P (VectorOpsTest, RampAndStridedScale)
{
    vec::ramp (out(), 1.0f, 0.5f, kLength);
    for (int i = 0; i < kLength; ++i)
        EXPECT_EQ (out()[i], 1.0f + (float) i * 0.5f);

    vec::fill (out(), 0.0f, 2 * (kLength / 2));
    vec::scaleStrided (out() + 1, 2, a(), 1, 2.0f, kLength / 2);
    for (int i = 0; i < kLength / 2; ++i)
    {
        EXPECT_EQ (out()[2 * i], 0.0f);
        EXPECT_EQ (out()[2 * i + 1], 2.0f * a()[i]);
    }
}

TEST_P (VectorOpsTest, TableInterpolationAtFractionalPositions)
{
    const float table[] = { 0.0f, 10.0f, 20.0f, 40.0f };
    float positions[kLength];
    for (int i = 0; i < kLength; ++i)
        positions[i] = (float) (i % 12) * 0.25f;
    vec::interpolate (out(), table, positions, kLength);
    for (int i = 0; i < kLength; ++i)
    {
        const int j = (int) std::floor (positions[i]);
        const float f = positions[i] - (float) j;
        EXPECT_FLOAT_EQ (out()[i], table[j] + (table[j + 1] - table[j]) * f);
    }
}

TEST_P (VectorOpsTest, BiquadCarriesItsHistory)
{
    // A one-pole smoother as a biquad: y = 0.5 x + 0.5 y[-1], run once over the
    // whole block and once in two halves; the halves carry the history values.
    const int n = kLength;
    float x[kLength + 2], whole[kLength + 2];
    x[0] = x[1] = 0.0f;
    for (int i = 0; i < n; ++i)
        x[i + 2] = (float) ((i * 7) % 5) - 2.0f;
    whole[0] = whole[1] = 0.0f;
    vec::biquad (x, whole, n, 0.5f, 0.0f, 0.0f, -0.5f, 0.0f);

    float* split = out();
    split[0] = split[1] = 0.0f;
    const int first = 11;
    vec::biquad (x, split, first, 0.5f, 0.0f, 0.0f, -0.5f, 0.0f);
    vec::biquad (x + first, split + first, n - first, 0.5f, 0.0f, 0.0f, -0.5f, 0.0f);

    float y = 0.0f;
    for (int i = 0; i < n; ++i)
    {
        y = 0.5f * x[i + 2] + 0.5f * y;
        EXPECT_EQ (whole[i + 2], y);
        EXPECT_EQ (split[i + 2], y);
    }
}

TEST_P (VectorOpsTest, AllFiniteFindsAnyNaNOrInfinity)
{
    float* x = a();
    EXPECT_TRUE (vec::allFinite (x, kLength));
    const float bad[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity() };
    for (const float value : bad)
        for (const int at : { 0, kLength / 2, kLength - 1 })
        {
            const float kept = x[at];
            x[at] = value;
            EXPECT_FALSE (vec::allFinite (x, kLength)) << value << " at " << at;
            x[at] = kept;
        }
    x[3] = std::numeric_limits<float>::max();
    x[4] = std::numeric_limits<float>::denorm_min();
    EXPECT_TRUE (vec::allFinite (x, kLength));
}

INSTANTIATE_TEST_SUITE_P (Offsets, VectorOpsTest, ::testing::Values (0, 1, 2, 3, 5, 7));
