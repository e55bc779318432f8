#include "dsp/VectorOps.h"

#include "dsp/SafeMath.h"

#include <algorithm>
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

namespace
{
/** One filter of biquadPair: its one or two sections and their memories. */
struct PairPart
{
    float b0, b1, b2, a1, a2;
    float x1, x2, y1, y2; // first section
    float u1, u2, v1, v2; // second section, in series

    PairPart (const float* c, const float* h, const float* s)
        : b0 (c[0]), b1 (c[1]), b2 (c[2]), a1 (c[3]), a2 (c[4]), x1 (h[0]), x2 (h[1]), y1 (h[2]), y2 (h[3]),
          u1 (s != nullptr ? s[0] : 0.0f), u2 (s != nullptr ? s[1] : 0.0f), v1 (s != nullptr ? s[2] : 0.0f),
          v2 (s != nullptr ? s[3] : 0.0f)
    {
    }

    template <bool series>
    float step (float in) noexcept
    {
        const float mid = b0 * in + b1 * x1 + b2 * x2 - a2 * y2 - a1 * y1;
        x2 = x1;
        x1 = in;
        y2 = y1;
        y1 = mid;
        if (! series)
            return mid;
        const float out = b0 * mid + b1 * u1 + b2 * u2 - a2 * v2 - a1 * v1;
        u2 = u1;
        u1 = mid;
        v2 = v1;
        v1 = out;
        return out;
    }

    void store (float* h, float* s) const noexcept
    {
        h[0] = x1;
        h[1] = x2;
        h[2] = y1;
        h[3] = y2;
        if (s != nullptr)
        {
            s[0] = u1;
            s[1] = u2;
            s[2] = v1;
            s[3] = v2;
        }
    }
};

template <bool seriesA, bool seriesB>
void pairLoop (float* a, float* b, int n, PairPart& pa, PairPart& pb) noexcept
{
    for (int i = 0; i < n; ++i)
    {
        const float ya = pa.step<seriesA> (a[i]);
        const float yb = pb.step<seriesB> (b[i]);
        a[i] = ya;
        b[i] = yb;
    }
}

constexpr int kSideBySideRun = 64;

/** The recursive part of count sections over a run: t holds each section's
    feed-forward sum, y1 and y2 its two previous outputs. */
template <int count>
void sideBySideRecursion (float* const* data, int offset, int n, float (*t)[kSideBySideRun], const float* a1,
                          const float* a2, float* y1, float* y2)
{
    float p1[count], p2[count], k1[count], k2[count];
    for (int k = 0; k < count; ++k)
    {
        p1[k] = y1[k];
        p2[k] = y2[k];
        k1[k] = a1[k];
        k2[k] = a2[k];
    }
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < count; ++k)
        {
            const float out = t[k][i] - k2[k] * p2[k] - k1[k] * p1[k];
            p2[k] = p1[k];
            p1[k] = out;
            data[k][offset + i] = out;
        }
    for (int k = 0; k < count; ++k)
    {
        y1[k] = p1[k];
        y2[k] = p2[k];
    }
}
} // namespace

void biquadPair (float* a, float* b, int n, const float* coefficientsA, float* historyA, float* seriesHistoryA,
                 const float* coefficientsB, float* historyB, float* seriesHistoryB)
{
    PairPart pa (coefficientsA, historyA, seriesHistoryA), pb (coefficientsB, historyB, seriesHistoryB);
    const bool seriesA = seriesHistoryA != nullptr, seriesB = seriesHistoryB != nullptr;
    if (seriesA && seriesB)
        pairLoop<true, true> (a, b, n, pa, pb);
    else if (seriesA)
        pairLoop<true, false> (a, b, n, pa, pb);
    else if (seriesB)
        pairLoop<false, true> (a, b, n, pa, pb);
    else
        pairLoop<false, false> (a, b, n, pa, pb);
    pa.store (historyA, seriesHistoryA);
    pb.store (historyB, seriesHistoryB);
}

void biquadSideBySide (float* const* data, int count, int n, const float* const* coefficients, float* const* history)
{
    for (int first = 0; first < count; first += kMaxSideBySide)
    {
        const int group = std::min (kMaxSideBySide, count - first);
        float* const* d = data + first;
        float x1[kMaxSideBySide], x2[kMaxSideBySide], y1[kMaxSideBySide], y2[kMaxSideBySide];
        float a1[kMaxSideBySide], a2[kMaxSideBySide];
        for (int k = 0; k < group; ++k)
        {
            const float* h = history[first + k];
            x1[k] = h[0];
            x2[k] = h[1];
            y1[k] = h[2];
            y2[k] = h[3];
            a1[k] = coefficients[first + k][3];
            a2[k] = coefficients[first + k][4];
        }

        float t[kMaxSideBySide][kSideBySideRun];
        for (int pos = 0; pos < n; pos += kSideBySideRun)
        {
            const int run = std::min (kSideBySideRun, n - pos);
            // Feed-forward sums, added as in biquadInPlace: (b0 x + b1 x[-1]) + b2 x[-2].
            for (int k = 0; k < group; ++k)
            {
                const float* c = coefficients[first + k];
                const float b0 = c[0], b1 = c[1], b2 = c[2];
                const float* x = d[k] + pos;
                float* tk = t[k];
                tk[0] = b0 * x[0] + b1 * x1[k] + b2 * x2[k];
                if (run > 1)
                    tk[1] = b0 * x[1] + b1 * x[0] + b2 * x1[k];
                for (int i = 2; i < run; ++i)
                    tk[i] = b0 * x[i] + b1 * x[i - 1] + b2 * x[i - 2];
                x2[k] = run > 1 ? x[run - 2] : x1[k];
                x1[k] = x[run - 1];
            }
            switch (group)
            {
                case 1: sideBySideRecursion<1> (d, pos, run, t, a1, a2, y1, y2); break;
                case 2: sideBySideRecursion<2> (d, pos, run, t, a1, a2, y1, y2); break;
                case 3: sideBySideRecursion<3> (d, pos, run, t, a1, a2, y1, y2); break;
                case 4: sideBySideRecursion<4> (d, pos, run, t, a1, a2, y1, y2); break;
                case 5: sideBySideRecursion<5> (d, pos, run, t, a1, a2, y1, y2); break;
                default: sideBySideRecursion<6> (d, pos, run, t, a1, a2, y1, y2); break;
            }
        }

        for (int k = 0; k < group; ++k)
        {
            float* h = history[first + k];
            h[0] = x1[k];
            h[1] = x2[k];
            h[2] = y1[k];
            h[3] = y2[k];
        }
    }
}
} // namespace vec
