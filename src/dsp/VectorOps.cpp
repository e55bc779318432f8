#include "dsp/VectorOps.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace vec
{
void fill (float* dst, float value, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = value;
}

void copy (float* dst, const float* src, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = src[i];
}

void scale (float* dst, const float* src, float k, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = src[i] * k;
}

void scaleStrided (float* dst, int dstStride, const float* src, int srcStride, float k, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i * dstStride] = src[i * srcStride] * k;
}

void addScalar (float* dst, const float* src, float k, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = src[i] + k;
}

void add (float* dst, const float* a, const float* b, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = a[i] + b[i];
}

void subtract (float* dst, const float* a, const float* b, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = a[i] - b[i];
}

void multiply (float* dst, const float* a, const float* b, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = a[i] * b[i];
}

void divide (float* dst, const float* a, const float* b, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = a[i] / b[i];
}

void divideScalarBy (float* dst, float k, const float* src, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = k / src[i];
}

void abs (float* dst, const float* src, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = std::fabs (src[i]);
}

void clip (float* dst, const float* src, float low, float high, int n)
{
    for (int i = 0; i < n; ++i)
    {
        const float v = src[i];
        dst[i] = v < low ? low : (v > high ? high : v);
    }
}

void multiplyAdd (float* dst, const float* x, const float* y, const float* z, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = x[i] * y[i] + z[i];
}

void scalarMultiplyAdd (float* dst, float k, const float* x, const float* y, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = k * x[i] + y[i];
}

void ramp (float* dst, float start, float step, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = start + (float) i * step;
}

void blend (float* dst, const float* a, const float* b, float t, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = a[i] + (b[i] - a[i]) * t;
}

void interpolate (float* dst, const float* table, const float* positions, int n)
{
    for (int i = 0; i < n; ++i)
    {
        const float p = positions[i];
        const int j = (int) std::floor (p);
        const float f = p - (float) j;
        dst[i] = table[j] + (table[j + 1] - table[j]) * f;
    }
}

bool allFinite (const float* x, int n)
{
    // Tests the exponent bits of every value without branching, so the loop
    // vectorises: all ones means an infinity or a NaN.
    constexpr std::uint32_t exponentBits = 0x7f800000u;
    std::uint32_t found = 0;
    for (int i = 0; i < n; ++i)
    {
        std::uint32_t bits;
        std::memcpy (&bits, x + i, sizeof bits);
        found |= (std::uint32_t) ((bits & exponentBits) == exponentBits);
    }
    return found == 0;
}

void biquad (const float* x, float* y, int n, float b0, float b1, float b2, float a1, float a2)
{
    float x1 = x[1], x2 = x[0], y1 = y[1], y2 = y[0];
    for (int i = 0; i < n; ++i)
    {
        const float in = x[i + 2];
        const float out = b0 * in + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = in;
        y2 = y1;
        y1 = out;
        y[i + 2] = out;
    }
}
} // namespace vec
