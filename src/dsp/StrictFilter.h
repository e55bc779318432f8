#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/Biquad.h"
#include "dsp/KWDSPModuleBase.h"

/** A 0 dB band-pass whose output is added, scaled, to another buffer: the
    bands of the formant filter types. */
class StrictFilter : public KWDSPModuleBase
{
public:
    explicit StrictFilter (DSPContext& context);

    /** out += gain * bandpass (in), centred at freq Hz, bandwidth in octaves. */
    void processAdd (const float* in, float* out, float gain, int n, float freq, float bandwidth) noexcept;
    void reset() noexcept { section.reset(); }

    static constexpr int kMaxBlock = 4096;

private:
    BiquadSection section;
    AlignedBuffer<float> scratch { kMaxBlock };
};
