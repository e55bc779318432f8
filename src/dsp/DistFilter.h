#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

/** The drive stage of the "POWER" filter types: x / (|x| + d^4), with
    d = 1 - 0.9 drive; at drive 1 a near-hard limiter to +-1. */
class DistFilter : public KWDSPModuleBase
{
public:
    explicit DistFilter (DSPContext& context);

    /** In place; any n. */
    void process (float* x, int n, float drive) noexcept;

    static constexpr int kMaxBlock = 2048;

private:
    AlignedBuffer<float> magnitude { kMaxBlock };
};
