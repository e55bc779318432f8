#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

#include <cstdint>

/** The master reverb: a stereo feedback delay network of eight lines mixed by
    an 8 x 8 Hadamard matrix. The band-limited input enters a pre-delay ring and
    reaches each line from its own tap; the loop is scaled by a gain that
    "Reverb size" sets, damped and freed of low frequencies. One line's read
    position is swept by a slow integer oscillator. */
class Rvb : public KWDSPModuleBase
{
public:
    explicit Rvb (DSPContext& context);

    /** Clears the tail and sizes lines and taps for the current sample rate. */
    void reset() noexcept;
    /** A new sample rate clears the tail and re-sizes the network. */
    void sampleRateChanged() override;
    /** Processes n interleaved stereo frames in place; does nothing at all
        while dryWet is exactly 0. */
    void process (float* buffer, int n) noexcept;

    /** The pre-delay in interleaved values (twice the frames) for the
        current "Reverb pre" and sample rate. */
    int getPreDelay() const noexcept;
    /** The loop gain for the current "Reverb size" and sample rate. */
    float getFeedbackGain() const noexcept;
    int getLineLength (int line) const noexcept { return lineLength[line & 7]; }
    int getTapOffset (int line) const noexcept { return tapOffset[line & 7]; }

    static constexpr int kLines = 8;
    static constexpr int kLineSize = 16384;
    static constexpr int kPreRingSize = 65536;

    float prevDryWet = 0.0f; // the engine's dry/wet of the previous sub-block
    float preDelay = 0.1f;   // "Reverb pre"
    float highCut = 0.4f;    // "Reverb hcut"
    float lowCut = 0.401f;   // "Reverb lcut"
    float size = 0.6f;       // "Reverb size"
    float dryWet = 0.0f;     // "Reverb dry/wet"
    float highDamp = 0.97f;  // "Reverb hdamp"

private:
    /** The one-pole coefficient for a 0..1 control: 64 Hz at 0, 32768 Hz at 1
        (at 44100 Hz; the cutoff scales with 44100 / rate). */
    float coefficientFor (float control) const noexcept;

    AlignedBuffer<float> preRing { kPreRingSize };
    int prePos = 0;
    std::int32_t modSine = 0, modCos = 0;
    AlignedBuffer<float> lines { (std::size_t) kLines * kLineSize };
    float inHighCutL = 0.0f, inHighCutR = 0.0f;
    float inLowCutL = 0.0f, inLowCutR = 0.0f;
    int lineLength[kLines] = {};
    int tapOffset[kLines] = {};
    float damp[kLines] = {};
    float lowBlock[kLines] = {};
    int lineCount = 0;
};
