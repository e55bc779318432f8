#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"
#include "effects/SineLfo.h"

/** Insert effect "Type3": a cross-fed stereo chorus. The left output carries
    the right input through a swept delay and vice versa; the two delays move
    in opposite directions. The depth glides towards its control value. */
class ChorusEffect : public KWDSPModuleBase
{
public:
    explicit ChorusEffect (DSPContext& context);

    /** Processes n interleaved stereo frames in place. */
    void process (float* buffer, int n) noexcept;
    /** Clears both delay lines (the glide and the sine phase stay). */
    void reset() noexcept;

    float getSmoothedDepth() const noexcept { return depthSmoothed; }

    float depth = 0.1f; // "Effect control 1", 0..1
    float rate = 0.7f;  // "Effect control 2", 0..1

    static constexpr int kLineLength = 8192;

private:
    void processPass (float* buffer, int frames) noexcept;

    AlignedBuffer<float> lineLeft { kLineLength + 1 }, lineRight { kLineLength + 1 };
    int writePos = 0;
    float depthSmoothed = 0.0f;
    SineLfo lfo;
    AlignedBuffer<float> depthRamp { 4096 }, basePositions { 4096 }, readPositions { 4096 }, wet { 4096 };
};
