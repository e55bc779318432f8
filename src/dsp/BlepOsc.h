#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/BlepResidual.h"
#include "dsp/HSawComponent.h"
#include "dsp/KWDSPModuleBase.h"
#include "dsp/OscMode.h"

/** One band-limited oscillator: the two-segment saw and four-segment pulse
    (both with an octave-down blend and hard sync), the sine-triangle table
    oscillator with FM or PM input, and the supersaw. Frequencies arrive per
    sample in cycles per sample, so the oscillator does not depend on the
    sample rate. */
class BlepOsc : public KWDSPModuleBase
{
public:
    explicit BlepOsc (DSPContext& context);

    /** Each block before render: mode, the octave-down blend (0 at pitch,
        1 one octave below; the supersaw's detune) and the width (pulse width,
        sine-triangle morph or FM depth, the supersaw's side mix), both 0..1. */
    void setParams (OscMode mode, float octaveBlend, float width) noexcept;
    /** Each block: frequency per sample (cycles per sample), optional pulse
        width / FM depth per sample (0..1), optional sync input (the master's
        frequency for hard sync, or the modulator signal in FM). The buffers
        must hold the n values of the next render. */
    void setInputs (const float* freq, const float* pwm, const float* sync) noexcept;
    void setSync (bool enabled) noexcept { syncEnabled = enabled; }
    /** Sine-tri runs as an FM (or, with sync, PM) sine fed by the sync input. */
    void setFmInput (bool enabled) noexcept { fmInput = enabled; }
    /** Starts each note at a random point of the cycle (unison partners). */
    void setRandomStart (bool enabled) noexcept { randomStart = enabled; }
    /** Uses the short 4-tap residual instead of the long one (unison partners). */
    void setShortBlep (bool enabled) noexcept { shortBlep = enabled; }

    /** The supersaw renders without its high-pass, which the caller then runs
        for several oscillators at once (HSawComponent::highPassTogether). */
    void setDeferredHighPass (bool deferred) noexcept { deferHighPass = deferred; }
    HSawComponent& getSuperSaw() noexcept { return superSaw; }

    /** Restarts the waveform: the next render begins a fresh cycle. */
    void reset() noexcept;
    /** Renders n samples (at most kMaxBlock); valid until the next call. */
    const float* render (int n) noexcept;

    OscMode getMode() const noexcept { return mode; }
    bool isFmInput() const noexcept { return fmInput; }

    static constexpr int kMaxBlock = 2048;
    /** Frequencies below this are taken as this for period lengths. */
    static constexpr float kMinFrequency = 0.0002f;
    /** Frequencies above the Nyquist frequency are taken as Nyquist. */
    static constexpr float kMaxFrequency = 0.5f;

private:
    void renderSaw (float* out, int n) noexcept;
    void renderPulse (float* out, int n) noexcept;
    void renderSineTri (float* out, int n) noexcept;
    /** The first segment after a start: its length (shortened at random for
        the unison partners), the low level, the sync countdown. */
    void beginCycle (float firstSegment, bool sync) noexcept;
    /** Samples until the next edge: a segment end, or an earlier sync reset. */
    float timeToNextEdge (bool sync) const noexcept;
    float frequencyAt (int i) const noexcept;
    float syncFrequencyAt (int i) const noexcept;
    float widthAt (int i) const noexcept;

    OscMode mode = OscMode::Off;
    OscMode lastMode = OscMode::Off;
    bool lastSync = false;

    float octaveBlend = 0.0f;
    float width = 0.0f;

    const float* freqIn = nullptr;
    const float* pwmIn = nullptr;
    const float* syncIn = nullptr;

    bool syncEnabled = false;
    bool syncActive = false;
    bool fmInput = false;
    bool randomStart = false;
    bool shortBlep = false;
    bool deferHighPass = false;

    float level = 0.0f;
    int segment = 0;
    float periodCounter = -1.0f;
    float syncCounter = -1.0f;
    float slope = 0.0f;
    float pulseWidth = 0.0f;

    float phaseOffset = 0.0f;
    float fmSmooth = 0.0f;
    bool fresh = true;

    BlepResidual residual;
    float residualArea;
    AlignedBuffer<float> output { kMaxBlock };
    AlignedBuffer<float> phase { kMaxBlock + 1 };
    AlignedBuffer<float> subPhase { kMaxBlock + 1 };
    AlignedBuffer<float> increment { kMaxBlock };
    AlignedBuffer<float> modulator { kMaxBlock };
    AlignedBuffer<float> subOutput { kMaxBlock };
    HSawComponent superSaw;
};
