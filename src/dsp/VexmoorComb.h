#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

/** The "COMB" filter: a feedback comb with a fractional, per-sample delay of
    sampleRate / freq. With the negative feedback of resonance > 0 it rings at
    odd multiples of freq / 2. */
class VexmoorComb : public KWDSPModuleBase
{
public:
    explicit VexmoorComb (DSPContext& context);

    /** -resonance, set before every call. */
    void setFeedback (float fb) noexcept { feedback = fb; }
    /** The next call refills the delay with its first input sample. */
    void requestReset() noexcept { resetPending = true; }
    /** In place; freqHz per sample. */
    void process (float* x, int n, const float* freqHz) noexcept;

    /** The gain applied to the delayed signal for a feedback value. */
    static float loopGain (float feedback) noexcept;

    static constexpr int kRingSize = 2048;

private:
    AlignedBuffer<float> ring { kRingSize + 1 };
    int writeIndex = 0;
    float feedback = 0.0f;
    bool resetPending = true;
};
