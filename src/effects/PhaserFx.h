#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

/** Insert effect "Type4": four first-order all-pass stages per channel with
    feedback, their break frequency swept by a sine between about 440 Hz and
    1600 Hz; the right channel's sweep runs a quarter cycle ahead. */
class PhaserFx : public KWDSPModuleBase
{
public:
    explicit PhaserFx (DSPContext& context);

    /** sweepRate from "Effect control 2": about 0.001 Hz at 0, 10 Hz at 1. */
    void setSweepFromControl (float control) noexcept;
    /** Processes n interleaved stereo frames in place. */
    void process (float* buffer, int n) noexcept;
    /** Clears the all-pass memories and the feedback (the sweep phase stays). */
    void reset() noexcept;

    float getSweepPhase() const noexcept { return sweepPhase; }

    float depth = 1.0f;     // wet amount, "Effect control 1"
    float sweepRate = 0.0f; // radians per sample

private:
    struct Channel
    {
        float state[4] = {};
        float last = 0.0f;
    };

    void processPass (float* buffer, int frames) noexcept;
    float coefficientAt (float theta) const noexcept;
    void runChannels (float* buffer, int frames) noexcept;

    // The sweep bounds follow the sample rate the phaser was built at.
    const float sweepHigh;
    const float sweepLow;
    Channel left, right;
    float feedback = 0.5f;
    float sweepPhase = 0.0f;
    AlignedBuffer<float> coefLeft { 2048 }, coefRight { 2048 };
};
