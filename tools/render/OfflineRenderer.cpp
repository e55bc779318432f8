#include "OfflineRenderer.h"

#include <chrono>
#include <cmath>

namespace
{
constexpr double kPreRollSeconds = 0.05;
}

OfflineRenderer::OfflineRenderer (juce::AudioPluginInstance& instance, double sampleRate, int blockSize)
    : plugin (instance), rate (sampleRate), block (blockSize)
{
}

OfflineRenderer::Result OfflineRenderer::render (const MidiSong& song, double tailSeconds, bool timeBlocks,
                                                 const std::function<void (double)>& progress)
{
    playHead.numerator = song.getNumerator();
    playHead.denominator = song.getDenominator();
    playHead.sampleRate = rate;
    plugin.setPlayHead (&playHead);
    plugin.setNonRealtime (true);
    plugin.prepareToPlay (rate, block);

    const auto songSamples = (juce::int64) std::ceil (song.getLengthSeconds() * rate);
    const auto maxSamples = songSamples + (juce::int64) std::ceil (tailSeconds * rate);
    const auto silenceToStop = (juce::int64) (0.5 * rate);

    Result result;
    result.audio.setSize (2, (int) maxSamples + block);
    result.audio.clear();
    juce::AudioBuffer<float> buffer (std::max (2, plugin.getTotalNumOutputChannels()), block);
    juce::MidiBuffer midi;
    const auto& events = song.getEvents();
    int nextEvent = 0;
    juce::int64 position = 0, silentRun = 0;
    if (timeBlocks)
        result.blockMicros.reserve ((size_t) (maxSamples / block + 1));

    // A host runs a plug-in for a while before playback starts. Without that,
    // notes in the very first blocks after a sound was loaded would still
    // start with the envelopes of the sound before it.
    playHead.playing = false;
    playHead.bpm = song.segmentAt (0.0).bpm;
    playHead.ppqPosition = 0.0;
    playHead.samplePosition = 0;
    for (int b = 0; b < (int) std::ceil (kPreRollSeconds * rate / block); ++b)
    {
        buffer.clear();
        midi.clear();
        plugin.processBlock (buffer, midi);
    }

    while (position < maxSamples && (position < songSamples || silentRun < silenceToStop))
    {
        const double t0 = (double) position / rate;
        const double t1 = (double) (position + block) / rate;
        midi.clear();
        while (nextEvent < events.getNumEvents() && events.getEventPointer (nextEvent)->message.getTimeStamp() < t1)
        {
            const auto& m = events.getEventPointer (nextEvent++)->message;
            if (! m.isMetaEvent())
                midi.addEvent (m, juce::jlimit (0, block - 1, (int) ((m.getTimeStamp() - t0) * rate)));
        }

        playHead.playing = position < songSamples;
        playHead.bpm = song.segmentAt (t0).bpm;
        playHead.ppqPosition = song.ppqAt (t0);
        playHead.samplePosition = position;

        buffer.clear();
        const auto start = std::chrono::steady_clock::now();
        plugin.processBlock (buffer, midi);
        const double seconds = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
        result.processSeconds += seconds;
        if (timeBlocks)
            result.blockMicros.push_back (seconds * 1.0e6);

        float blockPeak = 0.0f;
        for (int c = 0; c < 2; ++c)
        {
            result.audio.copyFrom (c, (int) position, buffer, std::min (c, buffer.getNumChannels() - 1), 0, block);
            blockPeak = std::max (blockPeak, buffer.getMagnitude (std::min (c, buffer.getNumChannels() - 1), 0, block));
        }
        silentRun = blockPeak < 1.0e-4f ? silentRun + block : 0;
        position += block;
        if (progress)
            progress ((double) position / rate);
    }
    plugin.releaseResources();
    plugin.setPlayHead (nullptr);
    result.length = (int) std::min (position, maxSamples);
    return result;
}
