#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/BiqFilter.h"
#include "dsp/KWDSPModuleBase.h"

/** The engine's noise source, shared by all voices: a fixed noise loop played
    back and coloured by one biquad, low-pass below "Noise color" 0.5 and
    high-pass above it (0.5 is white). */
class NoiseGen : public KWDSPModuleBase
{
public:
    explicit NoiseGen (DSPContext& context);

    /** The morphed "Noise color" value, 0..1, each sub-block. */
    void setColor (float value) noexcept { color = value; }
    /** Renders n samples (at most kMaxBlock) for all voices of this sub-block. */
    const float* render (int n) noexcept;

    static constexpr int kMaxBlock = 4096;
    /** The loop restarts once the read position passes this index. */
    static constexpr int kWrapIndex = 176000;

private:
    const float* table;
    int readIndex = 0;
    float color = 0.5f;
    float lastColor = 0.5f;
    BiqFilter filter;
    AlignedBuffer<float> output { kMaxBlock };
};
