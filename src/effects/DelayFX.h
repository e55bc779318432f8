#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

/** The tempo-related stereo delay: each channel echoes after a number of
    sixteenth notes, every echo the previous one times the feedback; with cross
    the echoes alternate between the channels. */
class DelayFX : public KWDSPModuleBase
{
public:
    explicit DelayFX (DSPContext& context);

    /** Echoes n interleaved stereo frames in place. */
    void process (float* buffer, int n) noexcept;
    /** Empties the delay memory. */
    void clear() noexcept;

    struct Lengths
    {
        int left, right; // frames
    };
    /** The delay of each channel for the current controls, tempo and rate. */
    Lengths computeLengths() const noexcept;

    float feedback = 0.5f;  // "Delay feedback"
    float mix = 1.0f;       // "Delay Mix"
    float tapsLeft = 1.0f;  // sixteenth notes, 1..4
    float tapsRight = 1.0f; // sixteenth notes, 1..4
    int tempo = 120;        // beats per minute
    bool sync = false;      // whole sixteenths only
    bool cross = false;     // echoes alternate between the channels

    static constexpr int kRingFrames = 128000;

private:
    void processRun (float* x, int frames, Lengths lengths, float feedbackGain, float wet) noexcept;
    /** dst[2 i + dstChannel] = ring channel value of frame (start + i) * gain. */
    void readTap (int start, int channel, float gain, int dstChannel, int frames) noexcept;

    AlignedBuffer<float> ring { 2 * kRingFrames };
    AlignedBuffer<float> temp { 4096 };
    int writePos = 0;
};
