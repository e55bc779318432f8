#pragma once

#include "dsp/KWDSPModuleBase.h"

/** The three-band master equaliser: low and high bands split off at 880 Hz and
    5000 Hz by chains of four one-pole low-passes, each band with its own gain
    (0.5 is unity, 1 is four times, 0 mutes it). The direct path runs three
    samples late. */
class B3EQEffect : public KWDSPModuleBase
{
public:
    explicit B3EQEffect (DSPContext& context);

    /** Equalises n interleaved stereo frames in place. */
    void process (float* buffer, int n) noexcept;
    /** Clears all filter memories and the input delays. */
    void reset() noexcept;

    float eqLow = 0.5f;  // "Eq low"
    float eqHigh = 0.5f; // "Eq high"

private:
    struct Channel
    {
        float lowState[4] = {};
        float highState[4] = {};
        float inputDelay[3] = {};
    };

    /** One sample of one channel; index is the slot of the three-sample delay. */
    float equalise (Channel& channel, float in, int index) const noexcept;

    const float lowFreq = 880.0f;
    const float highFreq = 5000.0f;
    Channel left, right;
    int delayIndex = 0;
    float lowCoef = 0.0f, highCoef = 0.0f;
    float lowGain = 1.0f, midGain = 1.0f, highGain = 1.0f;
};
