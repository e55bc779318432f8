#pragma once

#include "PeerWorkload.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

/** Plays a workload through a plug-in instance block by block, as a realtime
    host would, and measures the CPU time of every process call on this thread
    (other processes on a shared machine do not count against it) and the heap
    allocations made inside it. */
class PeerRunner
{
public:
    struct Result
    {
        double audioSeconds = 0.0;
        double processSeconds = 0.0;     // CPU time inside the process calls
        std::vector<double> blockMicros; // per block, in order
        long allocations = 0;            // inside the process calls after the warm-up
        int blocksWithAllocations = 0;
        float peak = 0.0f;
        juce::AudioBuffer<float> audio; // the stereo output, when asked for

        double realtimeFactor() const;
        /** The q-quantile (0..1) of the block times in microseconds. */
        double blockQuantile (double q) const;
    };

    PeerRunner (double sampleRate, int blockSize);

    /** Half a second of silence first lets the plug-in settle and take its
        parameters; it is neither timed nor counted. */
    Result run (juce::AudioPluginInstance& plugin, const PeerWorkload& workload, bool keepAudio) const;

    static constexpr double kWarmUpSeconds = 0.5;
    /** More MIDI events than any block of a workload carries. */
    static constexpr int kWarmUpEvents = 64;

private:
    double rate;
    int block;
};
