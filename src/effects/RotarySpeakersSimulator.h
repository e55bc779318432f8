#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"
#include "effects/SineLfo.h"

/** Insert effect "Type5": a rotating speaker. Each channel is read through a
    delay that swings between 1 and 1 + 2 D samples, louder while it
    approaches; the two channels swing in opposite directions and each output
    adds 0.7 of the other one. The dry input is not part of the output. */
class RotarySpeakersSimulator : public KWDSPModuleBase
{
public:
    explicit RotarySpeakersSimulator (DSPContext& context);

    /** Processes n interleaved stereo frames in place. */
    void process (float* buffer, int n) noexcept;
    /** Clears both delay lines. */
    void clear() noexcept;

    float rate = 1.0f;  // "Effect control 1": 0.125 Hz .. 64 Hz
    float depth = 1.0f; // "Effect control 2": D = 1 .. 1024 samples

    static constexpr int kLineLength = 4096;

private:
    void processPass (float* buffer, int frames) noexcept;

    SineLfo lfo;
    AlignedBuffer<float> lineLeft { kLineLength + 1 }, lineRight { kLineLength + 1 };
    int writePos = 0;
    AlignedBuffer<float> readPositions { 4096 }, wetLeft { 4096 }, wetRight { 4096 };
};
