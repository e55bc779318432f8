#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/Biquad.h"
#include "dsp/DistFilter.h"
#include "dsp/HilbertShifter.h"
#include "dsp/KWDSPModuleBase.h"
#include "dsp/KWDownsampler.h"
#include "dsp/KWResonator.h"
#include "dsp/StateVariableFilter.h"
#include "dsp/StrictFilter.h"
#include "dsp/VexmoorComb.h"

/** A voice filter unit: all seventeen types of "Flt1 type?"/"Flt2 type?".
    The resonant biquad types run one or (24 dB) two stages with coefficients
    redesigned every 32 samples from the cutoff buffer; the character types
    each have their own part. Only the part of the current type is reset when
    the type changes or a note starts. */
class FilterFX : public KWDSPModuleBase
{
public:
    enum Type
    {
        bypass = 0,
        lowPass = 1,
        highPass = 2,
        bandPass = 3,
        notch = 4,
        combType = 5,
        formant = 6,
        allPass = 7,
        powerLowPass = 8,
        powerBandPass = 9,
        waveshaper = 10,
        resonatorType = 11,
        resampler = 12,
        lowPassResample = 13,
        shifterType = 14,
        analogLowPass12 = 15,
        formant2 = 16,
        typeCount = 17
    };

    explicit FilterFX (DSPContext& context);

    /** The filter type, 0..16; any other value passes the signal unchanged. */
    void setType (int newType) noexcept { type = newType; }
    /** 1 runs the biquad types with two stages (24 dB per octave). */
    void set24dB (int flag) noexcept { is24dB = flag; }
    /** The next call resets the state of the type then active (note start). */
    void markTypeChanged() noexcept { typeChanged = true; }

    /** Filters buf in place: cutoff per sample in cutoff units (2^(9.28 u + 5) Hz),
        resonance 0..1. */
    void process (float* buf, const float* cutoff, int n, float resonance) noexcept;

    /** Two units over two blocks of n samples: the same results as a process
        call for each, with both units' biquads side by side when both run a
        plain biquad type ("LP", "HP", "BP", "NOTCH", "ALLPASS"). */
    static void processPair (FilterFX& a, float* bufA, const float* cutoffA, float resonanceA, FilterFX& b, float* bufB,
                             const float* cutoffB, float resonanceB, int n) noexcept;

    int getType() const noexcept { return type; }

    /** The biquad bandwidth in octaves that a type gets from the resonance. */
    static float bandwidthFor (int filterType, float resonance) noexcept;
    /** The coefficients of the biquad types for one 32-sample chunk. */
    static BiquadCoefficients coreCoefficients (int filterType, float cutoff, float bandwidth, float sampleRate) noexcept;
    /** Whether a type runs the resonant biquad path (and so honours 24 dB). */
    static bool usesCorePath (int filterType) noexcept;

    static constexpr int kMaxBlock = 2048;
    static constexpr int kChunk = 32;
    /** The core path's cutoff values are held to this (about 14.4 kHz). */
    static constexpr float kMaxCoreCutoff = 0.95f;

private:
    void processBlock (float* buf, const float* cutoff, int n, float resonance) noexcept;
    void processCore (float* buf, const float* cutoff, int n, float bandwidth) noexcept;
    /** The core path's design for a chunk starting at this cutoff value. */
    const BiquadCoefficients& coreDesignFor (float cutoffValue) noexcept;
    /** Whether the type is a biquad type with nothing before or after it. */
    bool isPlainCore() const noexcept;
    /** What process does before the core path of a plain biquad type. */
    void beginPlainCore (float resonance) noexcept;
    void processFormant (float* buf, float c0, int n, float resonance) noexcept;
    void processFormant2 (float* buf, float c0, int n, float resonance) noexcept;
    void processComb (float* buf, float c0, float c1, int n, float resonance) noexcept;
    void processWaveshaper (float* buf, int n, float resonance) noexcept;
    bool takeTypeChange() noexcept;

    int type = bypass;
    int is24dB = 0;
    int lastType = bypass;
    bool typeChanged = true;

    BiquadSection stage1, stage2;
    float bandwidth = 1.0f;
    // The core path's last design and what it was made from.
    struct CoreKey
    {
        float cutoff = -1.0e30f, bandwidth = -1.0f;
        int type = bypass;
        float rate = -1.0f;
    };
    CoreKey coreKey;
    BiquadCoefficients coreDesign;

    VexmoorComb comb;
    StrictFilter band1, band2, band3;
    DistFilter drive;
    KWResonator resonator;
    KWDownsampler downsampler;
    HilbertShifter shifter;
    StateVariableFilter svf;

    AlignedBuffer<float> combFreq { kMaxBlock + 1 };
    AlignedBuffer<float> bandSum { kMaxBlock };
};
