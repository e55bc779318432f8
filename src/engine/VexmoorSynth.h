#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/DSPContext.h"
#include "dsp/NoiseGen.h"
#include "arp/ArpRunner.h"
#include "effects/MasterEffectChain.h"
#include "engine/NoteEvent.h"
#include "engine/PitchTable.h"
#include "engine/VexmoorPatch.h"
#include "midi/KWMidiMapper.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class VexmoorPlayer;

/** The synthesis engine: turns MIDI into note events, plays them on its voices
    and renders the sound in sub-blocks of at most kMaxSubBlockFrames frames,
    reading tempo and transport from the host's play head.

    Threads: renderBlock runs on the audio thread. The message thread posts
    wheel and release events, switches chord mode and hold, runs the utility
    operations and applies presets. stateLock guards the voices, effects and the
    patch's non-parameter fields during a sub-block; queueLock guards the event
    queue and the held keys. presetLock keeps the message-side writers of the
    patch's preset fields (presets, chord, Init) apart from a host thread saving
    the sound, without making the audio thread wait for a save. Locks are taken
    in the order presetLock, stateLock, queueLock. */
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

    /** Any thread: queues an event for the next sub-block. */
    void postEvent (int type, int note, float value, int time, bool slide = false);
    /** Any thread: releases every voice at the start of the next sub-block. */
    void postReleaseAll();
    /** Any thread: moves the morph wheel (0 plays group A, 1 group B). */
    void postMorphWheel (float value);

    /** Message thread: makes the preset dictionary the sound (under the state
        lock), re-captures or clears the chord, stops every voice and moves the
        wheel to the preset's stored position. */
    void applyPreset (const juce::XmlElement* dictionary);

    /** Any thread: the current sound as a new preset dictionary, read under the
        state lock so that a preset being applied meanwhile is seen whole. */
    std::unique_ptr<juce::XmlElement> buildPresetDictionary();

    /** Message thread: the chord button. */
    void captureChord();
    void chordOff();
    /** Message thread: the hold button; releasing it releases every voice. */
    void setHold (bool on);
    bool isHold() const noexcept { return hold.load (std::memory_order_relaxed); }

    /** Message thread: the utility menu: 0 "Init", 1 "Reset morph A->B",
        2 "Swap morph gorups", 3 "Swap filters", 4 "Randomize", 5 "Panic". */
    void utility (int operation);
    /** Stops every voice at once and clears the queue, the held keys and the
        effect memories. */
    void panic();

    VexmoorPatch& getPatch() noexcept { return patch; }
    DSPContext& getContext() noexcept { return context; }
    /** Peak of the last sub-block times 0.7, for the level meter. */
    float getLevel() const noexcept { return level.load (std::memory_order_relaxed); }
    /** Smoothed morph position of the last sub-block. */
    float getMorphPosition() const noexcept { return morphSmoothed; }
    /** The sounding voices, oldest first (audio thread, or while nothing renders). */
    const std::vector<VexmoorPlayer*>& getActiveVoices() const noexcept { return activeVoices; }
    /** Voices built so far, sounding or idle. */
    int getVoiceCount() const noexcept { return (int) voices.size(); }

    static constexpr int kMaxSubBlockFrames = 512;
    static constexpr int kTimeGrain = 32;
    static constexpr int kMaxVoices = 16;

private:
    void handleMidi (juce::MidiBuffer& midi);
    void handleMappedController (int controller, int value);
    void renderSubBlock (float* mix, int frames);
    void chordStage();
    void dispatch (const NoteEvent& event);
    void noteOn (const NoteEvent& event);
    void noteOff (const NoteEvent& event);
    void releaseEveryVoice();
    void limitVoices();
    VexmoorPlayer* takeVoice();
    void panicLocked();
    void captureChordLocked();
    void outputStage (float* mix, int values) noexcept;
    int glideSamples (float seconds) const noexcept;

    juce::AudioPlayHead* playHead = nullptr;
    KWMidiMapper& midiMapper;
    DSPContext context;
    VexmoorPatch patch;
    PitchTable pitchTable;
    NoteEventPool eventPool { 4096 };

    std::mutex presetLock; // message-side edits of the patch's preset fields, and their readers
    std::mutex stateLock;
    std::mutex queueLock;

    std::vector<std::unique_ptr<VexmoorPlayer>> voices;
    std::vector<VexmoorPlayer*> activeVoices;
    std::vector<VexmoorPlayer*> voicePool;
    std::vector<NoteEvent*> eventQueue;
    std::vector<NoteEvent*> dueEvents;
    std::vector<int> heldNotes;
    std::vector<int> monoHeld;

    NoiseGen noiseGenerator;
    MasterEffectChain effects;
    ArpRunner arpRunner { eventPool };

    bool chordResetPending = false;
    int lastNote = 0;
    float lastFrequency = 0.0f;
    std::atomic<float> bendTarget { 1.0f };
    std::atomic<float> morphTarget { 0.0f };
    float morphSmoothed = 0.0f;
    std::atomic<bool> hold { false };
    int gridPosition = -1;
    AlignedBuffer<float> mixBuffer { 2 * 2048 };
    std::atomic<float> level { 0.0f };
};
