#pragma once

#include "dsp/AlignedBuffer.h"

/** Normalised coefficients of one two-pole two-zero section,
    y = b0 x + b1 x[-1] + b2 x[-2] - a1 y[-1] - a2 y[-2], with the shapes the
    synthesizer's filters use (the usual cookbook designs). The angular terms are
    rounded to float at fixed points; stored sounds depend on them. */
struct BiquadCoefficients
{
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;

    enum class Shape
    {
        lowPass,
        highPass,
        bandPassPeakQ,  // peak gain equals Q
        bandPassZeroDb, // 0 dB at the centre
        notch,
        allPass,
        peakPlus24dB    // peaking boost with A = 4
    };

    /** freq in Hz, bandwidth in octaves. */
    static BiquadCoefficients design (Shape shape, float freq, float bandwidth, float sampleRate);

    static constexpr float kMinFrequency = 1.0f;
    /** Highest design frequency as a share of the sample rate (just below Nyquist). */
    static constexpr float kMaxFrequencyRatio = 0.499f;
    static constexpr float kMinBandwidth = 1.0e-4f;
    static constexpr float kMaxBandwidth = 40.0f;
    static constexpr float kMaxAlpha = 1.0e6f;
};

/** One section's history and the recursion over chunks of up to kMaxChunk
    samples, through the vector primitive. */
class BiquadSection
{
public:
    static constexpr int kMaxChunk = 256;

    BiquadSection();
    void reset() noexcept;
    /** Filters n <= kMaxChunk samples in place, carrying the history. */
    void process (float* data, int n, const BiquadCoefficients& c) noexcept;

private:
    AlignedBuffer<float> in { kMaxChunk + 2 };
    AlignedBuffer<float> out { kMaxChunk + 2 };
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
};
