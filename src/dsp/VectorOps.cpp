#include "dsp/VectorOps.h"

#include "dsp/SafeMath.h"

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

void weightedSum3 (float* dst, const float* a, float ka, const float* b, float kb, const float* c, float kc, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = kc * c[i] + (kb * b[i] + a[i] * ka);
}

void rampPlusScaled (float* dst, float start, float step, float k, const float* x, int n)
{
    for (int i = 0; i < n; ++i)
        dst[i] = k * x[i] + (start + (float) i * step);
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
        const int j = floorToInt (p);
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

// Every biquad recursion here adds its terms in the same order, with the y[-1]
// term last: it is the only one that waits for the previous output, so each
// sample costs one multiply and one subtraction of latency, not three steps.
void biquad (const float* x, float* y, int n, float b0, float b1, float b2, float a1, float a2)
{
    float x1 = x[1], x2 = x[0], y1 = y[1], y2 = y[0];
    for (int i = 0; i < n; ++i)
    {
        const float in = x[i + 2];
        const float out = b0 * in + b1 * x1 + b2 * x2 - a2 * y2 - a1 * y1;
        x2 = x1;
        x1 = in;
        y2 = y1;
        y1 = out;
        y[i + 2] = out;
    }
}

void biquadInPlace (float* data, int n, float b0, float b1, float b2, float a1, float a2, float* history)
{
    float x1 = history[0], x2 = history[1], y1 = history[2], y2 = history[3];
    for (int i = 0; i < n; ++i)
    {
        const float in = data[i];
        const float out = b0 * in + b1 * x1 + b2 * x2 - a2 * y2 - a1 * y1;
        x2 = x1;
        x1 = in;
        y2 = y1;
        y1 = out;
        data[i] = out;
    }
    history[0] = x1;
    history[1] = x2;
    history[2] = y1;
    history[3] = y2;
}

void biquadSeries (float* data, int n, float b0, float b1, float b2, float a1, float a2, float* firstHistory,
                   float* secondHistory)
{
    float x1 = firstHistory[0], x2 = firstHistory[1], y1 = firstHistory[2], y2 = firstHistory[3];
    float u1 = secondHistory[0], u2 = secondHistory[1], v1 = secondHistory[2], v2 = secondHistory[3];
    for (int i = 0; i < n; ++i)
    {
        const float in = data[i];
        const float mid = b0 * in + b1 * x1 + b2 * x2 - a2 * y2 - a1 * y1;
        x2 = x1;
        x1 = in;
        y2 = y1;
        y1 = mid;
        const float out = b0 * mid + b1 * u1 + b2 * u2 - a2 * v2 - a1 * v1;
        u2 = u1;
        u1 = mid;
        v2 = v1;
        v1 = out;
        data[i] = out;
    }
    firstHistory[0] = x1;
    firstHistory[1] = x2;
    firstHistory[2] = y1;
    firstHistory[3] = y2;
    secondHistory[0] = u1;
    secondHistory[1] = u2;
    secondHistory[2] = v1;
    secondHistory[3] = v2;
}

void biquadInPlace3 (float* const* data, int n, const float* const* coefficients, float* const* history)
{
    // Three recursions in one loop: each is as serial as ever, but the
    // processor works on all three at once.
    float* d0 = data[0];
    float* d1 = data[1];
    float* d2 = data[2];
    const float* c0 = coefficients[0];
    const float* c1 = coefficients[1];
    const float* c2 = coefficients[2];
    const float p0 = c0[0], p1 = c0[1], p2 = c0[2], p3 = c0[3], p4 = c0[4];
    const float q0 = c1[0], q1 = c1[1], q2 = c1[2], q3 = c1[3], q4 = c1[4];
    const float r0 = c2[0], r1 = c2[1], r2 = c2[2], r3 = c2[3], r4 = c2[4];
    float ax1 = history[0][0], ax2 = history[0][1], ay1 = history[0][2], ay2 = history[0][3];
    float bx1 = history[1][0], bx2 = history[1][1], by1 = history[1][2], by2 = history[1][3];
    float cx1 = history[2][0], cx2 = history[2][1], cy1 = history[2][2], cy2 = history[2][3];
    for (int i = 0; i < n; ++i)
    {
        const float a = d0[i], b = d1[i], c = d2[i];
        const float ya = p0 * a + p1 * ax1 + p2 * ax2 - p4 * ay2 - p3 * ay1;
        const float yb = q0 * b + q1 * bx1 + q2 * bx2 - q4 * by2 - q3 * by1;
        const float yc = r0 * c + r1 * cx1 + r2 * cx2 - r4 * cy2 - r3 * cy1;
        ax2 = ax1;
        ax1 = a;
        ay2 = ay1;
        ay1 = ya;
        bx2 = bx1;
        bx1 = b;
        by2 = by1;
        by1 = yb;
        cx2 = cx1;
        cx1 = c;
        cy2 = cy1;
        cy1 = yc;
        d0[i] = ya;
        d1[i] = yb;
        d2[i] = yc;
    }
    const float* const last[3][4] = { { &ax1, &ax2, &ay1, &ay2 }, { &bx1, &bx2, &by1, &by2 }, { &cx1, &cx2, &cy1, &cy2 } };
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 4; ++j)
            history[k][j] = *last[k][j];
}
} // namespace vec
