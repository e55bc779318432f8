#pragma once

#include "dsp/KWDSPModuleBase.h"

/** The "SHIFTER": a frequency shifter. Two all-pass chains split the signal
    into a pair about 90 degrees apart; rotating the pair by a running phase
    moves every partial up by the same number of Hz (up to 210 Hz). */
class HilbertShifter : public KWDSPModuleBase
{
public:
    explicit HilbertShifter (DSPContext& context);

    /** Wet share 0..1 (0 passes the dry signal only). */
    void setMix (float m) noexcept { mix = m; }
    /** Cutoff units; the shift is min (4 f, 21000) / 100 Hz for its frequency f. */
    void setShiftCutoff (float c) noexcept { shiftCutoff = c; }
    /** In place. */
    void process (float* x, int n) noexcept;
    void reset() noexcept;

    /** The shift in Hz for a cutoff value. */
    static float shiftHz (float cutoff) noexcept;

private:
    struct AllPassSection
    {
        float a1, a2;
        float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;

        /** Second-order all-pass: b0 = a2, b1 = a1, b2 = 1. */
        float tick (float in) noexcept
        {
            const float out = a2 * in + a1 * x1 + x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = in;
            y2 = y1;
            y1 = out;
            return out;
        }
        void clear() noexcept { x1 = x2 = y1 = y2 = 0.0f; }
    };

    AllPassSection chainA[2];
    AllPassSection chainB[2];
    float theta = 0.0f;
    float mix = 0.0f;
    float shiftCutoff = 0.0f;
};
