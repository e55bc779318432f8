// quorvane-render: renders a MIDI file through a plug-in binary into a WAV file.

#include "MidiSong.h"
#include "PluginLoader.h"
#include "TransportPlayHead.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>

#include <chrono>
#include <cmath>
#include <cstdio>

namespace
{
struct Options
{
    PluginLoader::Format format = PluginLoader::Format::vst3;
    juce::File plugin;
    juce::File midi;
    juce::File out;
    double rate = 44100.0;
    int block = 512;
    double tail = 4.0;
};

void usage()
{
    std::fprintf (stderr, "usage: quorvane-render --midi FILE.mid --out FILE.wav [--format vst2|vst3|lv2]\n"
                          "                       [--plugin PATH] [--rate HZ] [--block SAMPLES] [--tail SECONDS]\n");
}

juce::File installedPlugin (PluginLoader::Format format)
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    switch (format)
    {
        case PluginLoader::Format::vst2: return home.getChildFile (".vst/Quorvane.so");
        case PluginLoader::Format::vst3: return home.getChildFile (".vst3/Quorvane.vst3");
        case PluginLoader::Format::lv2: return home.getChildFile (".lv2/Quorvane.lv2");
    }
    return {};
}

bool parse (const juce::StringArray& args, Options& options, juce::String& error)
{
    for (int i = 1; i < args.size(); ++i)
    {
        const auto& a = args[i];
        auto value = [&]() -> juce::String {
            if (i + 1 >= args.size())
            {
                error = a + " needs a value";
                return {};
            }
            return args[++i];
        };
        if (a == "--format")
        {
            if (! PluginLoader::parseFormat (value(), options.format))
                error = "unknown format (use vst2, vst3 or lv2)";
        }
        else if (a == "--plugin")
            options.plugin = juce::File::getCurrentWorkingDirectory().getChildFile (value());
        else if (a == "--midi")
            options.midi = juce::File::getCurrentWorkingDirectory().getChildFile (value());
        else if (a == "--out")
            options.out = juce::File::getCurrentWorkingDirectory().getChildFile (value());
        else if (a == "--rate")
            options.rate = value().getDoubleValue();
        else if (a == "--block")
            options.block = value().getIntValue();
        else if (a == "--tail")
            options.tail = value().getDoubleValue();
        else
            error = "unknown option " + a;
        if (error.isNotEmpty())
            return false;
    }
    if (options.midi == juce::File() || options.out == juce::File())
        error = "--midi and --out are required";
    else if (options.rate < 8000.0 || options.rate > 384000.0)
        error = "--rate must be between 8000 and 384000";
    else if (options.block < 1 || options.block > 65536)
        error = "--block must be between 1 and 65536";
    else if (options.tail < 0.0)
        error = "--tail must not be negative";
    if (options.plugin == juce::File())
        options.plugin = installedPlugin (options.format);
    return error.isEmpty();
}

/** Writes 24-bit stereo; the caller renames the finished file into place. */
bool writeWav (const juce::File& file, const juce::AudioBuffer<float>& audio, int length, double rate)
{
    file.deleteFile();
    std::unique_ptr<juce::OutputStream> stream = file.createOutputStream();
    if (stream == nullptr)
        return false;
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), rate, 2, 24, {}, 0));
    if (writer == nullptr)
        return false;
    stream.release(); // the writer owns it now
    return writer->writeFromAudioSampleBuffer (audio, 0, length);
}

int run (const Options& options)
{
    MidiSong song;
    juce::String error;
    if (! song.load (options.midi, error))
    {
        std::fprintf (stderr, "quorvane-render: %s\n", error.toRawUTF8());
        return 1;
    }

    PluginLoader loader;
    auto plugin = loader.load (options.format, options.plugin, options.rate, options.block, error);
    if (plugin == nullptr)
    {
        std::fprintf (stderr, "quorvane-render: %s\n", error.toRawUTF8());
        return 1;
    }

    TransportPlayHead playHead;
    playHead.numerator = song.getNumerator();
    playHead.denominator = song.getDenominator();
    plugin->setPlayHead (&playHead);
    plugin->setNonRealtime (true);
    plugin->prepareToPlay (options.rate, options.block);

    const int channels = std::max (2, plugin->getTotalNumOutputChannels());
    juce::AudioBuffer<float> block (channels, options.block);
    const auto songSamples = (juce::int64) std::ceil (song.getLengthSeconds() * options.rate);
    const auto maxSamples = songSamples + (juce::int64) std::ceil (options.tail * options.rate);
    const auto silenceToStop = (juce::int64) (0.5 * options.rate);
    juce::AudioBuffer<float> output (2, (int) maxSamples + options.block);

    const auto& events = song.getEvents();
    int nextEvent = 0;
    juce::int64 position = 0;
    juce::int64 silentRun = 0;
    double processSeconds = 0.0;
    juce::MidiBuffer midi;

    while (position < maxSamples && (position < songSamples || silentRun < silenceToStop))
    {
        const double t0 = (double) position / options.rate;
        const double t1 = (double) (position + options.block) / options.rate;
        midi.clear();
        while (nextEvent < events.getNumEvents() && events.getEventPointer (nextEvent)->message.getTimeStamp() < t1)
        {
            const auto& m = events.getEventPointer (nextEvent++)->message;
            if (! m.isMetaEvent())
                midi.addEvent (m, juce::jlimit (0, options.block - 1, (int) ((m.getTimeStamp() - t0) * options.rate)));
        }

        playHead.playing = position < songSamples;
        playHead.bpm = song.segmentAt (t0).bpm;
        playHead.ppqPosition = song.ppqAt (t0);
        playHead.samplePosition = position;
        playHead.sampleRate = options.rate;

        block.clear();
        const auto start = std::chrono::steady_clock::now();
        plugin->processBlock (block, midi);
        processSeconds += std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();

        float blockPeak = 0.0f;
        for (int c = 0; c < 2; ++c)
        {
            output.copyFrom (c, (int) position, block, c, 0, options.block);
            blockPeak = std::max (blockPeak, block.getMagnitude (c, 0, options.block));
        }
        silentRun = blockPeak < 1.0e-4f ? silentRun + options.block : 0;
        position += options.block;
    }
    plugin->releaseResources();

    const int length = (int) std::min (position, maxSamples);
    float peak = 0.0f;
    double sumSquares = 0.0;
    for (int c = 0; c < 2; ++c)
    {
        peak = std::max (peak, output.getMagnitude (c, 0, length));
        const float rms = output.getRMSLevel (c, 0, length);
        sumSquares += (double) rms * rms;
    }

    options.out.getParentDirectory().createDirectory();
    const auto temporary = options.out.getSiblingFile (options.out.getFileName() + ".part");
    if (! writeWav (temporary, output, length, options.rate) || ! temporary.moveFileTo (options.out))
    {
        temporary.deleteFile();
        std::fprintf (stderr, "quorvane-render: cannot write %s\n", options.out.getFullPathName().toRawUTF8());
        return 1;
    }
    const double audioSeconds = length / options.rate;
    std::printf ("wrote %s (%.1f s)\n", options.out.getFullPathName().toRawUTF8(), audioSeconds);
    std::printf ("peak %.2f dBFS, RMS %.2f dBFS, realtime factor %.0f\n",
                 juce::Decibels::gainToDecibels (peak, -120.0f),
                 juce::Decibels::gainToDecibels ((float) std::sqrt (sumSquares / 2.0), -120.0f),
                 processSeconds > 0.0 ? audioSeconds / processSeconds : 0.0);
    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::StringArray args (argv, argc);
    Options options;
    juce::String error;
    if (! parse (args, options, error))
    {
        std::fprintf (stderr, "quorvane-render: %s\n", error.toRawUTF8());
        usage();
        return 2;
    }
    return run (options);
}
