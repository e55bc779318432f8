#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/** A deterministic note pattern that every synthesizer under test plays: the
    same MIDI events at the same samples, whatever the plug-in. */
class PeerWorkload
{
public:
    struct Event
    {
        juce::int64 sample = 0;
        juce::MidiMessage message;
    };

    /** 16 notes (a two-octave diatonic cluster from C3) struck together every
        2 s and held for 1.5 s. */
    static PeerWorkload poly16 (double sampleRate, double seconds);
    /** Four-note chords changing every 500 ms. */
    static PeerWorkload chords (double sampleRate, double seconds);
    /** One note at a time: eighth notes at 120 bpm. */
    static PeerWorkload mono (double sampleRate, double seconds);
    /** All three, in this order. */
    static std::vector<PeerWorkload> all (double sampleRate, double seconds);

    juce::String name;
    juce::int64 length = 0; // samples
    std::vector<Event> events; // sorted by sample; note-offs before note-ons at one sample

private:
    PeerWorkload (const juce::String& workloadName, double sampleRate, double seconds);
    /** Adds a note held from onSeconds to offSeconds, if it starts inside the workload. */
    void addNote (int note, double onSeconds, double offSeconds);
    void sort();

    double rate;
};
