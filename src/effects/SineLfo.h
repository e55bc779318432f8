#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

/** The slow sine inside the chorus and the rotary speaker. Its phase starts at
    0 and is never reset: it only advances while its effect runs. */
class SineLfo : public KWDSPModuleBase
{
public:
    explicit SineLfo (DSPContext& context);

    /** freq in Hz; rateHz is the sample rate the frequency is meant for. */
    void setFreq (float newFreq, float newRateHz) noexcept;
    /** Renders the next n (<= kMaxValues) values of the sine and returns them. */
    const float* render (int n) noexcept;

    float getPhase() const noexcept { return phase; }

    static constexpr int kMaxValues = 4096;

private:
    float phase = 0.0f;
    AlignedBuffer<float> out { kMaxValues };
    float freq = 0.0f;
    float rateHz = 44100.0f;
};
