#pragma once

#include "PluginLoader.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <vector>

/** One synthesizer with one sound, as the peer benchmark loads it: Quorvane in a
    plug-in format with one of its benchmark sounds, or a peer synthesizer (LV2)
    with its benchmark settings. */
class PeerSubject
{
public:
    enum class Synth { quorvane, synthv1, zynAddSubFx };

    /** A Quorvane parameter: a continuous normalised value, or a choice index
        when choices > 0. */
    struct QuorvaneSetting
    {
        int number;
        float value;
        int choices = 0;
    };

    /** A peer's LV2 control port by symbol, in the port's own units. */
    struct PortSetting
    {
        const char* symbol;
        float value;
    };

    /** Quorvane's benchmark sounds: "Init", "Two saws", "Heavy". */
    static std::vector<PeerSubject> quorvane (PluginLoader::Format format, const juce::File& binary);
    static PeerSubject synthv1 (const juce::File& bundle);
    static PeerSubject zynAddSubFx (const juce::File& bundle);

    /** Loads the plug-in and sets up its sound; null with a reason in error. */
    std::unique_ptr<juce::AudioPluginInstance> load (PluginLoader& loader, double sampleRate, int blockSize,
                                                     juce::String& error) const;
    /** "name=text" of every setting as the loaded instance reports it back. */
    juce::String describeSettings (juce::AudioPluginInstance& instance) const;

    juce::String synthName() const;
    /** The format as a column: "LV2", "VST3". */
    juce::String formatName() const;

    Synth synth = Synth::quorvane;
    PluginLoader::Format format = PluginLoader::Format::lv2;
    juce::File binary;
    juce::String sound;
    std::vector<QuorvaneSetting> quorvaneSettings;
    std::vector<PortSetting> portSettings;

private:
    static PeerSubject peer (Synth synth, const juce::File& bundle, const juce::String& sound,
                             const std::vector<PortSetting>& ports);
    bool applyQuorvane (juce::AudioPluginInstance& instance, juce::String& error) const;
    bool applyPorts (juce::AudioPluginInstance& instance, juce::String& error) const;
    juce::AudioProcessorParameter* findPort (juce::AudioPluginInstance& instance, const char* symbol) const;
};
