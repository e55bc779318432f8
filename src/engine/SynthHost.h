#pragma once

#include "dsp/AlignedBuffer.h"
#include "engine/VexmoorSynth.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <memory>

/** Sits between the plug-in and the engine: serves host blocks of any length
    from a FIFO that the engine fills in whole multiples of 32 samples, and keeps
    the level meter. Audio thread only, apart from reading the meter. */
class SynthHost
{
public:
    SynthHost();
    ~SynthHost();

    /** Renders exactly count samples into left and right. */
    void render (float* left, float* right, int count, juce::MidiBuffer& midi, int sampleRate);

    VexmoorSynth& getEngine() noexcept { return *engine; }
    const KWParamList& getParams() const noexcept { return engine->getPatch().getParams(); }
    /** Level meter, 0..1 (-30 dB .. 0 dB of the held peak). */
    float getMeter() const noexcept { return meter.load (std::memory_order_relaxed); }
    /** Samples rendered ahead and waiting for the next host block. */
    int getBufferedSamples() const noexcept;

    static constexpr int kRingSize = 16384;
    /** The longest host block served in one piece; longer ones are split. */
    static constexpr int kMaxPiece = 8192;

private:
    void renderPiece (float* left, float* right, int count, juce::MidiBuffer& midi, int sampleRate);
    void updateMeter() noexcept;

    float meterHold = 0.0f;
    std::unique_ptr<VexmoorSynth> engine;
    AlignedBuffer<float> fifoLeft { kRingSize + kMaxPiece };
    AlignedBuffer<float> fifoRight { kRingSize + kMaxPiece };
    int readPos = 0;
    int writePos = 0;
    std::atomic<float> meter { 0.0f };
    juce::MidiBuffer pieceMidi;
};
