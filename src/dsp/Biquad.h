#pragma once

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

/** One section's history and the recursion over blocks of any length, in
    place, through the vector primitive. */
class BiquadSection
{
public:
    /** Callers that slice their blocks keep to this length. */
    static constexpr int kMaxChunk = 256;

    BiquadSection();
    void reset() noexcept;
    /** Filters n samples in place, carrying the history. */
    void process (float* data, int n, const BiquadCoefficients& c) noexcept;
    /** Filters n samples in place through first and then second, both with
        the same coefficients, in one pass. */
    static void processSeries (BiquadSection& first, BiquadSection& second, float* data, int n,
                               const BiquadCoefficients& c) noexcept;

    /** Two filters side by side, a in place through aFirst (and then
        aSecond, when not null) with ca, b likewise with cb: the same results
        as process and processSeries for each. */
    static void processPair (float* a, BiquadSection& aFirst, BiquadSection* aSecond, const BiquadCoefficients& ca,
                             float* b, BiquadSection& bFirst, BiquadSection* bSecond, const BiquadCoefficients& cb,
                             int n) noexcept;
    /** count sections, each filtering its own data in place with its own
        coefficients, side by side: the same results as a call of process
        for each. */
    static void processSideBySide (BiquadSection* const* sections, float* const* data,
                                   const BiquadCoefficients* const* c, int count, int n) noexcept;
    /** The most sections processSideBySide takes at once. */
    static constexpr int kMaxSideBySide = 6;

private:
    float history[4] {}; // x[-1], x[-2], y[-1], y[-2]
};
