#pragma once

#include "dsp/KWDSPModuleBase.h"

/** "ANALOG LP12": a two-times oversampled state-variable low-pass with a soft
    saturation in its band path and an input limited to +-2. */
class StateVariableFilter : public KWDSPModuleBase
{
public:
    explicit StateVariableFilter (DSPContext& context);

    /** In place; cutoff per sample in cutoff units (read every 32 samples),
        resonance 0..1. */
    void process (float* x, const float* cutoff, int n, float resonance) noexcept;
    void reset() noexcept;

    static constexpr int kChunk = 32;

private:
    float low = 0.0f;
    float band = 0.0f;
};
