#include "dsp/Biquad.h"

#include "dsp/SafeMath.h"
#include "dsp/VectorOps.h"

#include <algorithm>
#include <cmath>

BiquadCoefficients BiquadCoefficients::design (Shape shape, float freq, float bandwidth, float sampleRate)
{
    // A frequency outside (0, Nyquist) or a bandwidth that is not positive has
    // no design; they are held just inside, so that the filter stays finite.
    freq = clampOrLow (freq, kMinFrequency, kMaxFrequencyRatio * sampleRate);
    bandwidth = clampOrLow (bandwidth, kMinBandwidth, kMaxBandwidth);

    // Rounded to float: w, its sine and cosine, the sinh argument and result.
    const float w = (float) (2.0 * M_PI * (double) freq / (double) sampleRate);
    const float s = (float) std::sin ((double) w);
    const float k = (float) std::cos ((double) w);
    float alpha = (float) std::sinh ((double) (float) ((double) bandwidth * 0.34657359027997264 * (double) w / (double) s)) * s;
    // Very wide bands close to Nyquist overflow the sinh.
    alpha = clampOrLow (alpha, 0.0f, kMaxAlpha);
    const float norm = 1.0f + alpha;

    BiquadCoefficients c;
    c.a1 = -2.0f * k / norm;
    c.a2 = (1.0f - alpha) / norm;
    switch (shape)
    {
        case Shape::lowPass:
            c.b0 = (1.0f - k) / 2.0f / norm;
            c.b1 = (1.0f - k) / norm;
            c.b2 = c.b0;
            break;
        case Shape::highPass:
            c.b0 = (1.0f + k) / 2.0f / norm;
            c.b1 = -(1.0f + k) / norm;
            c.b2 = c.b0;
            break;
        case Shape::bandPassPeakQ:
            c.b0 = (s / 2.0f) / norm;
            c.b1 = 0.0f;
            c.b2 = -(s / 2.0f) / norm;
            break;
        case Shape::bandPassZeroDb:
            c.b0 = alpha / norm;
            c.b1 = 0.0f;
            c.b2 = -alpha / norm;
            break;
        case Shape::notch:
            c.b0 = 1.0f / norm;
            c.b1 = -2.0f * k / norm;
            c.b2 = 1.0f / norm;
            break;
        case Shape::allPass:
            c.b0 = (1.0f - alpha) / norm;
            c.b1 = -2.0f * k / norm;
            c.b2 = 1.0f;
            break;
        case Shape::peakPlus24dB:
        {
            const float u = 1.0f + alpha / 4.0f;
            c.b0 = (1.0f + 4.0f * alpha) / u;
            c.b1 = -2.0f * k / u;
            c.b2 = (1.0f - 4.0f * alpha) / u;
            c.a1 = -2.0f * k / u;
            c.a2 = (1.0f - alpha / 4.0f) / u;
            break;
        }
    }
    return c;
}

BiquadSection::BiquadSection() = default;

void BiquadSection::reset() noexcept
{
    for (float& h : history)
        h = 0.0f;
}

void BiquadSection::process (float* data, int n, const BiquadCoefficients& c) noexcept
{
    vec::biquadInPlace (data, n, c.b0, c.b1, c.b2, c.a1, c.a2, history);
}

void BiquadSection::processSeries (BiquadSection& first, BiquadSection& second, float* data, int n,
                                   const BiquadCoefficients& c) noexcept
{
    vec::biquadSeries (data, n, c.b0, c.b1, c.b2, c.a1, c.a2, first.history, second.history);
}

void BiquadSection::processSideBySide (BiquadSection* const* sections, float* const* data,
                                      const BiquadCoefficients* const* c, int count, int n) noexcept
{
    count = std::clamp (count, 0, kMaxSideBySide);
    float coefficients[kMaxSideBySide][5];
    const float* rows[kMaxSideBySide];
    float* histories[kMaxSideBySide];
    for (int k = 0; k < count; ++k)
    {
        coefficients[k][0] = c[k]->b0;
        coefficients[k][1] = c[k]->b1;
        coefficients[k][2] = c[k]->b2;
        coefficients[k][3] = c[k]->a1;
        coefficients[k][4] = c[k]->a2;
        rows[k] = coefficients[k];
        histories[k] = sections[k]->history;
    }
    vec::biquadSideBySide (data, count, n, rows, histories);
}

void BiquadSection::processPair (float* a, BiquadSection& aFirst, BiquadSection* aSecond, const BiquadCoefficients& ca,
                                 float* b, BiquadSection& bFirst, BiquadSection* bSecond, const BiquadCoefficients& cb,
                                 int n) noexcept
{
    const float coefficientsA[5] = { ca.b0, ca.b1, ca.b2, ca.a1, ca.a2 };
    const float coefficientsB[5] = { cb.b0, cb.b1, cb.b2, cb.a1, cb.a2 };
    vec::biquadPair (a, b, n, coefficientsA, aFirst.history, aSecond != nullptr ? aSecond->history : nullptr,
                     coefficientsB, bFirst.history, bSecond != nullptr ? bSecond->history : nullptr);
}
