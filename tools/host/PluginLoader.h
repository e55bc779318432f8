#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** Loads a built plug-in binary in this process through JUCE's plug-in hosting:
    a VST2 shared object, a VST3 bundle or an LV2 bundle given by its folder. */
class PluginLoader
{
public:
    enum class Format { vst2, vst3, lv2 };

    PluginLoader();
    ~PluginLoader();

    /** Returns the instance, or null with a one-line reason in error. */
    std::unique_ptr<juce::AudioPluginInstance> load (Format format, const juce::File& binary, double sampleRate,
                                                     int blockSize, juce::String& error);

    static juce::String formatName (Format format);
    /** Parses "vst2", "vst3" or "lv2". */
    static bool parseFormat (const juce::String& text, Format& format);
    /** The URI of the first plug-in an LV2 bundle's manifest declares. */
    static juce::String lv2PluginUri (const juce::File& bundle);
    /** A Quorvane instance's parameter by its number (0..86), as hosted in this
        format, or null. JUCE's LV2 host orders parameters by URI and puts its own
        bypass switch first; the others keep the plug-in's order. */
    static juce::AudioProcessorParameter* parameterByNumber (juce::AudioPluginInstance& instance, Format format,
                                                             int number);

private:
    juce::AudioPluginFormat& formatFor (Format format);

    std::unique_ptr<juce::AudioPluginFormat> vst2, vst3, lv2;
};
