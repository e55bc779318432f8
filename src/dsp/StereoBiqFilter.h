#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/BiqFilter.h"

/** The band-split crossover of the effect section: one biquad per channel of an
    interleaved stereo bus, both in the same mode. */
class StereoBiqFilter
{
public:
    explicit StereoBiqFilter (DSPContext& context);

    void setMode (int mode) noexcept;
    void reset() noexcept;
    /** Filters n interleaved stereo frames in place. */
    void process (float freq, float bandwidth, float* interleaved, int n) noexcept;

    static constexpr int kMaxFrames = 2048;

    BiqFilter left, right;

private:
    AlignedBuffer<float> leftBuffer { kMaxFrames }, rightBuffer { kMaxFrames };
};
