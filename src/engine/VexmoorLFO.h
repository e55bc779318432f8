#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

/** A low-frequency oscillator rendering one modulation value per sample: six
    waves, tempo sync, per-note or free-running ("Global") triggering, a one-shot
    mode and a fade-in. The voice sets the inputs before every render. */
class VexmoorLFO : public KWDSPModuleBase
{
public:
    enum Wave { sine = 0, square = 1, sampleAndHold = 2, exponential = 3, triangle = 4, smooth = 5 };
    enum Trigger { perNote = 0, oneShot = 1, global = 2 };

    explicit VexmoorLFO (DSPContext& context);

    /** Note start: restarts a per-note LFO; a global one only drops its fade. */
    void reset();
    /** Renders n values (n <= kMaxBlock) and returns them. A global LFO renders
        once per engine sub-block and returns the same values to every voice. */
    const float* render (int n);
    const float* output() const noexcept { return out.get(); }

    static constexpr int kMaxBlock = 4096;

    float rate = 0.005f;
    float amount = 0.0f;
    float phase = 0.0f;
    int wave = sine;
    bool sync = false;
    int trigger = perNote;
    bool expUnipolar = true;
    float fadeIn = 0.0f;

private:
    float nextRandom();
    void renderSquare (int n, float R);
    void renderSteps (int n, float R);
    void renderTable (int n, float R);

    AlignedBuffer<float> out { kMaxBlock };
    float tablePos = 0.0f;
    int stepCounter = 0;
    int samplesRendered = 0;
    int fadeCounter = 0;
    float value = -1.0f;
    float smoothPrev = 0.0f;
    float squarePrev = 0.0f;
    bool held = false;
    float heldValue = 0.0f;
    double lastClock = -1.0;
};
