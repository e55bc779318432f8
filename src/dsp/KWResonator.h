#pragma once

#include "dsp/KWDSPModuleBase.h"

/** The "RESONATOR" type: a first-order all-pass in a feedback loop (gain 0.92),
    tuned by its coefficient and subtracted from the dry signal. */
class KWResonator : public KWDSPModuleBase
{
public:
    explicit KWResonator (DSPContext& context);

    /** In place: out = x - amount * loop output; freqHz tunes the all-pass. */
    void process (float* x, int n, float freqHz, float amount) noexcept;
    void reset() noexcept;

    float getCoefficient() const noexcept { return k; }

private:
    float k = 0.0f;
    float vPrev = 0.0f;
    float yPrev = 0.0f;
};
