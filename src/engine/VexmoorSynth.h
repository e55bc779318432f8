#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/DSPContext.h"
#include "engine/VexmoorPatch.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>

/** The synthesis engine: turns MIDI into note events, plays them on its voices
    and renders the sound in sub-blocks of at most kMaxSubBlockFrames frames,
    reading tempo and transport from the host's play head. */
class VexmoorSynth
{
public:
    VexmoorSynth();
    ~VexmoorSynth();

    VexmoorSynth (const VexmoorSynth&) = delete;
    VexmoorSynth& operator= (const VexmoorSynth&) = delete;

    /** The play head to read tempo and transport from during the next render. */
    void setPlayHead (juce::AudioPlayHead* newPlayHead) noexcept { playHead = newPlayHead; }
    juce::AudioPlayHead* getPlayHead() const noexcept { return playHead; }

    /** Audio thread: renders count samples (a multiple of 32) into left and right,
        reading and then clearing the block's MIDI. A sampleRate of 0 keeps the
        current rate. */
    void renderBlock (float* left, float* right, int count, juce::MidiBuffer& midi, int sampleRate);

    VexmoorPatch& getPatch() noexcept { return patch; }
    /** Message thread: the sound becomes the preset's dict. */
    void applyPreset (const juce::XmlElement* dictionary);
    DSPContext& getContext() noexcept { return context; }
    /** Peak of the last sub-block times 0.7, for the level meter. */
    float getLevel() const noexcept { return level.load (std::memory_order_relaxed); }

    static constexpr int kMaxSubBlockFrames = 512;
    static constexpr int kTimeGrain = 32;

private:
    void renderSubBlock (float* mix, int frames);
    void outputStage (float* mix, int values) noexcept;

    juce::AudioPlayHead* playHead = nullptr;
    DSPContext context;
    VexmoorPatch patch;
    AlignedBuffer<float> mixBuffer { 2 * 2048 };
    int gridPosition = -1;
    float morphTarget = 0.0f;
    float morphSmoothed = 0.0f;
    std::atomic<float> level { 0.0f };
};
