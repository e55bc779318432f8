#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/** A standard MIDI file (type 0 or 1) flattened into one event list in
    seconds, with the tempo map and time signature a play head reports. */
class MidiSong
{
public:
    /** Returns false with a reason when the file cannot be read or parsed. */
    bool load (const juce::File& file, juce::String& error);

    struct TempoSegment
    {
        double startSeconds = 0.0;
        double startPpq = 0.0;
        double bpm = 120.0;
    };

    const juce::MidiMessageSequence& getEvents() const noexcept { return events; }
    double getLengthSeconds() const noexcept { return lengthSeconds; }
    const TempoSegment& segmentAt (double seconds) const;
    double ppqAt (double seconds) const;
    int getNumerator() const noexcept { return numerator; }
    int getDenominator() const noexcept { return denominator; }

private:
    juce::MidiMessageSequence events;
    std::vector<TempoSegment> tempoMap { TempoSegment {} };
    double lengthSeconds = 0.0;
    int numerator = 4;
    int denominator = 4;
};
