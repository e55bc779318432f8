#pragma once

#include "MidiSong.h"
#include "TransportPlayHead.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>
#include <vector>

/** Plays a MIDI song through a plug-in instance block by block, as a host's
    offline export would: the play head follows the song's tempo map. */
class OfflineRenderer
{
public:
    struct Result
    {
        juce::AudioBuffer<float> audio;   // stereo, exactly `length` samples used
        int length = 0;
        double processSeconds = 0.0;     // time spent in the plug-in's process call
        std::vector<double> blockMicros; // per block, when asked for
    };

    OfflineRenderer (juce::AudioPluginInstance& plugin, double sampleRate, int blockSize);

    /** Renders the song, then up to tailSeconds more until the output has been
        silent for half a second. */
    Result render (const MidiSong& song, double tailSeconds, bool timeBlocks = false,
                   const std::function<void (double seconds)>& progress = {});

private:
    juce::AudioPluginInstance& plugin;
    double rate;
    int block;
    TransportPlayHead playHead;
};
