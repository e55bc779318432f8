#pragma once

#include "dsp/AlignedBuffer.h"

/** The correction that band-limits the naive saw and pulse: every jump of the
    naive waveform adds a decaying residual to the samples that follow it.
    Long mode splices 31 samples of the minimum-phase step, short mode (used
    by the unison partners, which are many and detuned) a 4-tap raised cosine. */
class BlepResidual
{
public:
    BlepResidual();

    void setShort (bool useShort) noexcept { shortMode = useShort; }
    bool isShort() const noexcept { return shortMode; }

    /** Clears every pending correction. */
    void clear() noexcept;

    /** A jump of the naive waveform by -amplitude (amplitude = old level - new
        level); offset = how far, in samples, the next output sample lies past
        the jump (0..1; anything else counts as 0). */
    void addStep (float offset, float amplitude) noexcept;

    /** Adds the pending correction to out[0..n). */
    void mixInto (float* out, int n) noexcept;

    static constexpr int kRingSize = 1024;
    static constexpr int kLongTaps = 31;

private:
    AlignedBuffer<float> ring { kRingSize };
    int readPos = 0;
    int pending = 0;

    int shortTaps = 0;
    int shortPos = 0;
    float shortAmplitude = 0.0f;

    bool shortMode = false;
    const float* rows;
    const float* shortTable;
};
