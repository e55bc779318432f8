#pragma once

// Block operations on float arrays of n values. Every Quorvane DSP module works
// through these instead of writing its own loops, so there is one place to tune
// them. They accept any alignment and, unless noted, the output may be one of
// the inputs (in-place use).
namespace vec
{
void fill (float* dst, float value, int n);
void copy (float* dst, const float* src, int n);

/** dst = src * k */
void scale (float* dst, const float* src, float k, int n);
/** dst[i * dstStride] = src[i * srcStride] * k, for interleaved buses. */
void scaleStrided (float* dst, int dstStride, const float* src, int srcStride, float k, int n);
/** dst = src + k */
void addScalar (float* dst, const float* src, float k, int n);

void add (float* dst, const float* a, const float* b, int n);
void subtract (float* dst, const float* a, const float* b, int n);
void multiply (float* dst, const float* a, const float* b, int n);
void divide (float* dst, const float* a, const float* b, int n);
/** dst = k / src */
void divideScalarBy (float* dst, float k, const float* src, int n);

void abs (float* dst, const float* src, int n);
void clip (float* dst, const float* src, float low, float high, int n);

/** dst = x * y + z */
void multiplyAdd (float* dst, const float* x, const float* y, const float* z, int n);
/** dst = k * x + y */
void scalarMultiplyAdd (float* dst, float k, const float* x, const float* y, int n);

/** dst = (a * ka + b * kb) + c * kc, rounded in that order (as scale and two
    scalarMultiplyAdd would) */
void weightedSum3 (float* dst, const float* a, float ka, const float* b, float kb, const float* c, float kc, int n);
/** dst = k * x + (start + i * step): a ramp with a scaled signal on top, rounded
    as ramp and then scalarMultiplyAdd would */
void rampPlusScaled (float* dst, float start, float step, float k, const float* x, int n);

/** dst[i] = start + i * step */
void ramp (float* dst, float start, float step, int n);
/** dst = a + (b - a) * t */
void blend (float* dst, const float* a, const float* b, float t, int n);

/** dst[i] = table[j] + (table[j + 1] - table[j]) * f, with j + f = positions[i]
    (j the integer part); positions must lie inside the table. */
void interpolate (float* dst, const float* table, const float* positions, int n);

/** True when none of the n values is a NaN or an infinity. */
bool allFinite (const float* x, int n);

/** Two-pole two-zero recursion over n new samples. x and y hold two history
    values followed by the n samples: x[0], x[1] are the two previous inputs and
    y[0], y[1] the two previous outputs; y[2 .. n + 1] receive the result. */
void biquad (const float* x, float* y, int n, float b0, float b1, float b2, float a1, float a2);

/** The same recursion, with the same arithmetic, in place over data[0..n);
    history holds x[-1], x[-2], y[-1], y[-2] before the call and after it. */
void biquadInPlace (float* data, int n, float b0, float b1, float b2, float a1, float a2, float* history);
/** Two sections with the same coefficients in series (a 24 dB slope), each
    with its history of four values as in biquadInPlace, in one pass: the
    result equals running them one after the other, while the second section's
    recursion overlaps the first's. */
void biquadSeries (float* data, int n, float b0, float b1, float b2, float a1, float a2, float* firstHistory,
                   float* secondHistory);
/** Two independent filters side by side, each one section or (with a second
    history) two sections in series with the same coefficients, as
    biquadInPlace and biquadSeries would run them one after the other. */
void biquadPair (float* a, float* b, int n, const float* coefficientsA, float* historyA, float* seriesHistoryA,
                 const float* coefficientsB, float* historyB, float* seriesHistoryB);

/** Independent sections side by side: section k (of count) filters data[k]
    in place with its coefficients (b0, b1, b2, a1, a2) and its history of four
    values as in biquadInPlace, with the same results. The feed-forward part of
    every section goes through the vector unit, and the recursions of up to
    kMaxSideBySide sections are interleaved so that they overlap. */
void biquadSideBySide (float* const* data, int count, int n, const float* const* coefficients, float* const* history);
constexpr int kMaxSideBySide = 6;
} // namespace vec
