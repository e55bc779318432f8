#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/Biquad.h"
#include "dsp/KWDSPModuleBase.h"

#include <cstdint>

/** The "Supersaw": seven detuned naive saws on wrapping 32-bit phases, mixed
    with a centre and a side gain and high-passed at the fundamental so that
    the beating low end stays clean. */
class HSawComponent : public KWDSPModuleBase
{
public:
    explicit HSawComponent (DSPContext& context);

    /** New random start phases, cleared high-pass, detune recomputed next block. */
    void reset() noexcept;

    /** Renders n samples at the frequency freq[0] (cycles per sample; one
        frequency per block), detune knob detune (0..1), side mix mix (0..1). */
    const float* render (const float* freq, float detune, float mix, int n) noexcept;
    /** The same block before its high-pass (with the history kept across
        blocks); highPassTogether must follow before the next render. */
    const float* renderUnfiltered (const float* freq, float detune, float mix, int n) noexcept;
    /** The high-passes of up to kMaxTogether unfiltered blocks of n samples,
        side by side, in place; the same results as each one's own. */
    static void highPassTogether (HSawComponent* const* saws, int count, int n) noexcept;
    static constexpr int kMaxTogether = BiquadSection::kMaxSideBySide;

    /** The polynomial detune curve: how far the outer saws spread at knob d. */
    static double detuneAmount (float d) noexcept;

    static constexpr int kMaxBlock = 2048;
    static constexpr int kSaws = 7;
    static constexpr int kLanes = 8;

    const float* getRatios() const noexcept { return ratios; }

private:
    /** Advances the phases over n samples and writes the sum of the saws. */
    void sumSaws (float* out, int n) noexcept;

    float detuneKnob = -1.0f;
    float ratios[kSaws];
    std::uint32_t phase[kLanes] {};
    std::uint32_t increment[kLanes] {};
    float gains[kLanes] {};
    BiquadSection highPass;
    BiquadCoefficients highPassCoefficients;
    float highPassFrequency = -1.0f, highPassRate = -1.0f;
    float bandwidth = 1.0f;
    AlignedBuffer<float> output { kMaxBlock };
};
