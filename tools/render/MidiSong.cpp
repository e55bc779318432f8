#include "MidiSong.h"

bool MidiSong::load (const juce::File& file, juce::String& error)
{
    juce::FileInputStream stream (file);
    if (! stream.openedOk())
    {
        error = "cannot read MIDI file " + file.getFullPathName();
        return false;
    }

    juce::MidiFile midiFile;
    if (! midiFile.readFrom (stream) || midiFile.getTimeFormat() <= 0)
    {
        error = "not a standard MIDI file with tempo-based timing: " + file.getFullPathName();
        return false;
    }

    const double ticksPerQuarter = midiFile.getTimeFormat();
    juce::MidiMessageSequence tempoEvents;
    midiFile.findAllTempoEvents (tempoEvents);
    juce::MidiMessageSequence signatureEvents;
    midiFile.findAllTimeSigEvents (signatureEvents);
    midiFile.convertTimestampTicksToSeconds();

    // Tempo events carry ticks; their seconds come from the converted copy.
    juce::MidiMessageSequence tempoSeconds;
    midiFile.findAllTempoEvents (tempoSeconds);
    tempoMap.clear();
    tempoMap.push_back ({ 0.0, 0.0, 120.0 });
    for (int i = 0; i < tempoEvents.getNumEvents(); ++i)
    {
        const auto& tick = tempoEvents.getEventPointer (i)->message;
        const auto& time = tempoSeconds.getEventPointer (i)->message;
        const double bpm = 60.0 / tick.getTempoSecondsPerQuarterNote();
        TempoSegment segment { time.getTimeStamp(), tick.getTimeStamp() / ticksPerQuarter, bpm };
        if (segment.startSeconds <= 0.0)
            tempoMap.front() = segment;
        else
            tempoMap.push_back (segment);
    }

    if (signatureEvents.getNumEvents() > 0)
        signatureEvents.getEventPointer (0)->message.getTimeSignatureInfo (numerator, denominator);

    events.clear();
    for (int t = 0; t < midiFile.getNumTracks(); ++t)
        events.addSequence (*midiFile.getTrack (t), 0.0);
    events.updateMatchedPairs();
    lengthSeconds = events.getEndTime();
    return true;
}

const MidiSong::TempoSegment& MidiSong::segmentAt (double seconds) const
{
    size_t i = 0;
    while (i + 1 < tempoMap.size() && tempoMap[i + 1].startSeconds <= seconds)
        ++i;
    return tempoMap[i];
}

double MidiSong::ppqAt (double seconds) const
{
    const auto& segment = segmentAt (seconds);
    return segment.startPpq + (seconds - segment.startSeconds) * segment.bpm / 60.0;
}
