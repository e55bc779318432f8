// quorvane-render: renders a MIDI file through a plug-in binary into a WAV file.

#include "HostState.h"
#include "MidiSong.h"
#include "OfflineRenderer.h"
#include "PluginLoader.h"
#include "PresetFinder.h"
#include "ProgressMeter.h"
#include "RenderOptions.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdio>

namespace
{
int fail (const juce::String& message)
{
    std::fprintf (stderr, "quorvane-render: %s\n", message.toRawUTF8());
    return 1;
}

bool applySound (juce::AudioPluginInstance& plugin, const RenderOptions& options, juce::String& error)
{
    if (options.state != juce::File())
    {
        juce::MemoryBlock chunk;
        if (! options.state.existsAsFile() || ! options.state.loadFileAsData (chunk))
        {
            error = "cannot read state file " + options.state.getFullPathName();
            return false;
        }
        plugin.setStateInformation (chunk.getData(), (int) chunk.getSize());
    }
    if (options.preset.isNotEmpty())
    {
        const auto folder = options.banks != juce::File() ? options.banks : PresetFinder::installedBanksFolder();
        const auto chunk = PresetFinder (folder).stateFor (options.preset, error);
        if (chunk.isEmpty())
            return false;
        const auto state = HostState::wrap (options.format, chunk, error);
        if (state.isEmpty())
            return false;
        plugin.setStateInformation (state.getData(), (int) state.getSize());
    }
    for (const auto& [index, value] : options.params)
    {
        auto* param = PluginLoader::parameterByNumber (plugin, options.format, index);
        if (param == nullptr)
        {
            error = "the plug-in has no parameter " + juce::String (index);
            return false;
        }
        param->setValueNotifyingHost (value);
    }
    return true;
}

/** Writes the file beside its destination and renames it into place. */
bool writeWav (const juce::File& destination, const juce::AudioBuffer<float>& audio, int length, double rate,
               bool floatSamples)
{
    const auto temporary = destination.getSiblingFile (destination.getFileName() + ".part");
    temporary.deleteFile();
    bool ok = false;
    {
        std::unique_ptr<juce::OutputStream> stream = temporary.createOutputStream();
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            stream != nullptr ? wav.createWriterFor (stream.get(), rate, 2, floatSamples ? 32 : 24, {}, 0) : nullptr);
        if (writer != nullptr)
        {
            stream.release(); // the writer owns it now
            ok = writer->writeFromAudioSampleBuffer (audio, 0, length);
        }
    }
    ok = ok && temporary.moveFileTo (destination);
    if (! ok)
        temporary.deleteFile();
    return ok;
}

int run (const RenderOptions& options)
{
    MidiSong song;
    juce::String error;
    if (! song.load (options.midi, error))
        return fail (error);

    PluginLoader loader;
    auto plugin = loader.load (options.format, options.plugin, options.rate, options.block, error);
    if (plugin == nullptr)
        return fail (error);
    if (! applySound (*plugin, options, error))
        return fail (error);

    ProgressMeter meter (song.getLengthSeconds());
    OfflineRenderer renderer (*plugin, options.rate, options.block);
    const auto result = renderer.render (song, options.tail, false, [&] (double s) { meter.update (s); });
    meter.finish();

    if (! options.out.getParentDirectory().createDirectory() || ! writeWav (options.out, result.audio, result.length,
                                                                             options.rate, options.floatOutput))
        return fail ("cannot write " + options.out.getFullPathName());

    float peak = 0.0f;
    double sumSquares = 0.0;
    for (int c = 0; c < 2; ++c)
    {
        peak = std::max (peak, result.audio.getMagnitude (c, 0, result.length));
        const float rms = result.audio.getRMSLevel (c, 0, result.length);
        sumSquares += (double) rms * rms;
    }
    const double audioSeconds = result.length / options.rate;
    std::printf ("wrote %s (%.1f s)\n", options.out.getFullPathName().toRawUTF8(), audioSeconds);
    std::printf ("peak %.2f dBFS, RMS %.2f dBFS, realtime factor %.0f\n",
                 juce::Decibels::gainToDecibels (peak, -120.0f),
                 juce::Decibels::gainToDecibels ((float) std::sqrt (sumSquares / 2.0), -120.0f),
                 result.processSeconds > 0.0 ? audioSeconds / result.processSeconds : 0.0);
    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (juce::String (argv[i]) == "--help" || juce::String (argv[i]) == "-h")
        {
            std::fputs (RenderOptions::usage(), stdout);
            return 0;
        }

    juce::ScopedJuceInitialiser_GUI juce;
    RenderOptions options;
    juce::String error;
    if (! options.parse (juce::StringArray (argv, argc), error))
    {
        std::fprintf (stderr, "quorvane-render: %s\n%s", error.toRawUTF8(), RenderOptions::usage());
        return 2;
    }
    return run (options);
}
