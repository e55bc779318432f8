#pragma once

#include "dsp/Biquad.h"
#include "dsp/KWDSPModuleBase.h"

/** A single biquad of a fixed shape, redesigned on every call: the noise
    colour, the band split and the formant bands use it. */
class BiqFilter : public KWDSPModuleBase
{
public:
    enum Mode
    {
        lowPass = 1,
        highPass = 2,
        peak = 3,          // +24 dB peaking boost
        bandPassZeroDb = 4
    };

    BiqFilter (DSPContext& context, int mode);

    void setMode (int newMode) noexcept { mode = newMode; }
    int getMode() const noexcept { return mode; }
    /** Filters buf in place at freq Hz with the bandwidth in octaves. */
    void process (float freq, float bandwidth, float* buf, int n) noexcept;
    void reset() noexcept { section.reset(); }

private:
    int mode;
    BiquadSection section;
};
