#include "PeerRunner.h"

#include "RealtimeMonitor.h"
#include "TransportPlayHead.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace
{
double threadCpuSeconds()
{
    timespec t {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
    return (double) t.tv_sec + 1.0e-9 * (double) t.tv_nsec;
}
} // namespace

double PeerRunner::Result::realtimeFactor() const
{
    return processSeconds > 0.0 ? audioSeconds / processSeconds : 0.0;
}

double PeerRunner::Result::blockQuantile (double q) const
{
    if (blockMicros.empty())
        return 0.0;
    std::vector<double> sorted (blockMicros);
    std::sort (sorted.begin(), sorted.end());
    const auto at = (size_t) std::clamp ((double) (sorted.size() - 1) * q, 0.0, (double) (sorted.size() - 1));
    return sorted[at];
}

PeerRunner::PeerRunner (double sampleRate, int blockSize) : rate (sampleRate), block (blockSize)
{
}

PeerRunner::Result PeerRunner::run (juce::AudioPluginInstance& plugin, const PeerWorkload& workload,
                                    bool keepAudio) const
{
    // As a host's audio thread: denormals flushed for every plug-in alike.
    juce::ScopedNoDenormals noDenormals;

    TransportPlayHead playHead;
    playHead.sampleRate = rate;
    playHead.bpm = 120.0;
    plugin.setPlayHead (&playHead);
    plugin.setNonRealtime (false);
    plugin.setRateAndBufferSizeDetails (rate, block);
    plugin.prepareToPlay (rate, block);

    const int channels = std::max ({ 2, plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels() });
    juce::AudioBuffer<float> buffer (channels, block);
    juce::MidiBuffer midi;
    midi.ensureSize (4096);

    const auto warmUpBlocks = (int) std::ceil (kWarmUpSeconds * rate / block);
    for (int b = 0; b < warmUpBlocks; ++b)
    {
        buffer.clear();
        midi.clear();
        // Note-offs for keys that are not held: they change nothing, but the
        // host's own event list (JUCE's VST3 host grows it on demand) reaches
        // its working size here rather than in a counted block.
        if (b == 0)
            for (int note = 0; note < kWarmUpEvents; ++note)
                midi.addEvent (juce::MidiMessage::noteOff (1, note), note % block);
        plugin.processBlock (buffer, midi);
        playHead.advance (block, rate);
    }
    playHead.playing = true;
    playHead.ppqPosition = 0.0;
    playHead.samplePosition = 0;

    Result result;
    const auto blocks = (int) ((workload.length + block - 1) / block);
    result.blockMicros.reserve ((size_t) blocks);
    if (keepAudio)
    {
        result.audio.setSize (2, blocks * block);
        result.audio.clear();
    }
    size_t next = 0;
    for (int b = 0; b < blocks; ++b)
    {
        const juce::int64 start = (juce::int64) b * block;
        midi.clear();
        while (next < workload.events.size() && workload.events[next].sample < start + block)
        {
            const auto& e = workload.events[next++];
            midi.addEvent (e.message, (int) (e.sample - start));
        }
        buffer.clear();

        RealtimeMonitor::start();
        const double t0 = threadCpuSeconds();
        plugin.processBlock (buffer, midi);
        const double t1 = threadCpuSeconds();
        const long allocations = RealtimeMonitor::stop().allocations;

        result.processSeconds += t1 - t0;
        result.blockMicros.push_back ((t1 - t0) * 1.0e6);
        result.allocations += allocations;
        result.blocksWithAllocations += allocations > 0 ? 1 : 0;
        for (int c = 0; c < 2; ++c)
        {
            const int from = std::min (c, buffer.getNumChannels() - 1);
            result.peak = std::max (result.peak, buffer.getMagnitude (from, 0, block));
            if (keepAudio)
                result.audio.copyFrom (c, b * block, buffer, from, 0, block);
        }
        playHead.advance (block, rate);
    }
    result.audioSeconds = (double) blocks * block / rate;
    plugin.releaseResources();
    plugin.setPlayHead (nullptr);
    return result;
}
