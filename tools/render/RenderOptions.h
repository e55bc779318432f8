#pragma once

#include "PluginLoader.h"

#include <juce_core/juce_core.h>

#include <utility>
#include <vector>

/** The command line of quorvane-render. */
struct RenderOptions
{
    PluginLoader::Format format = PluginLoader::Format::vst3;
    juce::File plugin;         // empty: the installed Quorvane of that format
    juce::String preset;       // "BANK/PRESET"
    juce::File banks;          // where --preset looks; empty: the installed banks
    juce::File state;          // a host state chunk
    std::vector<std::pair<int, float>> params;
    juce::File midi;
    juce::File out;
    bool floatOutput = false;  // 32-bit float instead of 24-bit integer
    double rate = 44100.0;
    int block = 512;
    double tail = 4.0;

    /** Returns false with a one-line reason. */
    bool parse (const juce::StringArray& args, juce::String& error);

    static const char* usage();
    /** Where the installer puts each format for this user. */
    static juce::File installedPlugin (PluginLoader::Format format);
};
