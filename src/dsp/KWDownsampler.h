#pragma once

#include "dsp/KWDSPModuleBase.h"

/** The "RESAMPLER": a sample-and-hold at a lower rate, each held value the
    average of the samples it replaces, mixed with the dry signal. */
class KWDownsampler : public KWDSPModuleBase
{
public:
    explicit KWDownsampler (DSPContext& context);

    /** rate in cutoff units (the hold rate is 2^(9.28 rate + 5) Hz), mix 0..1;
        in place. A hold period of one sample or less leaves x unchanged. */
    void process (float rate, float mix, float* x, int n) noexcept;
    void reset() noexcept;

    /** Samples per held value for a rate, at least 1. */
    int holdLength (float rate) const noexcept;

    /** Hold periods are limited to this many samples (a rate far below the
        cutoff range would otherwise overflow the count). */
    static constexpr int kMaxHold = 1 << 16;

private:
    float accumulator = 0.0f;
    float held = 0.0f;
    int countdown = 0;
};
