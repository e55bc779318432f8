#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/BlepOsc.h"
#include "dsp/KWDSPModuleBase.h"

/** One of a voice's two oscillators: a main BlepOsc and, in "multi" mode, two
    unison partners detuned up and down by a ratio and mixed against the main
    one. Fades in over 16 samples after every reset. */
class GenericOsc : public KWDSPModuleBase
{
public:
    explicit GenericOsc (DSPContext& context);

    /** Forwarded to the main oscillator and, while multi, to the partners. */
    void setParams (OscMode mode, float octaveBlend, float width) noexcept;
    /** Frequency (cycles per sample), optional PWM/FM depth and sync input; the
        partners get the same PWM and sync (see setPartnerSyncInputs). */
    void setInputs (const float* freq, const float* pwm, const float* sync) noexcept;
    void setSync (bool enabled) noexcept;
    void setMulti (bool enabled) noexcept { multi = enabled; }
    /** The upper partner plays at freq * ratio, the lower one at freq / ratio. */
    void setDetune (float ratio) noexcept { detuneRatio = ratio; }
    /** -1 only the partners, 0 all three, +1 only the main oscillator. */
    void setMultiMix (float m) noexcept;
    /** Sets the FM input flag of all three oscillators (oscillator 2). */
    void setFmInput (bool enabled) noexcept;
    /** Gives the partners their own sync inputs for this block (call after
        setInputs): for unison hard sync each partner follows the master's
        partner of the same side. */
    void setPartnerSyncInputs (const float* up, const float* down) noexcept;

    void reset() noexcept;
    /** Renders n samples (at most kMaxBlock) into the oscillator's own buffer,
        which the caller may change; valid until the next call. */
    float* render (int n) noexcept;

    /** render in two steps, so that two oscillators' supersaws can run their
        high-passes side by side: beginRender renders the three oscillators and
        returns true when high-passes are left pending; then, after
        finishHighPassesTogether (or without it: finishRender runs them alone),
        finishRender mixes and returns the block. All three with the same n. */
    bool beginRender (int n) noexcept;
    static void finishHighPassesTogether (GenericOsc& a, GenericOsc* b, int n) noexcept;
    float* finishRender (int n) noexcept;

    /** The partners' frequency buffers of the last render (cycles per sample). */
    const float* getUpFrequency() const noexcept { return upFreq.get(); }
    const float* getDownFrequency() const noexcept { return downFreq.get(); }

    bool isMulti() const noexcept { return multi; }
    BlepOsc& getMain() noexcept { return main; }
    BlepOsc& getUp() noexcept { return up; }
    BlepOsc& getDown() noexcept { return down; }

    static constexpr int kMaxBlock = BlepOsc::kMaxBlock;
    static constexpr int kFadeLength = 16;

private:
    BlepOsc main, up, down;
    bool multi = true;
    bool fadePending = false;
    float detuneRatio = 1.0f;
    float multiMix = 0.0f;

    const float* freqIn = nullptr;
    const float* upSync = nullptr;
    const float* downSync = nullptr;
    const float* pwmIn = nullptr;
    const float* mainOut = nullptr;
    const float* upOut = nullptr;
    const float* downOut = nullptr;
    bool superSawsPending = false;

    AlignedBuffer<float> upFreq { kMaxBlock };
    AlignedBuffer<float> downFreq { kMaxBlock };
    AlignedBuffer<float> output { kMaxBlock };
};
