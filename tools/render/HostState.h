#pragma once

#include "PluginLoader.h"

#include <juce_core/juce_core.h>

/** The plug-in's own state chunk wrapped as JUCE's host side of each format
    hands state to a hosted plug-in: a host's setStateInformation takes its own
    saved form (the VST3 component state inside an XML wrapper, a VST2 bank
    chunk file), not the plug-in's bytes. */
class HostState
{
public:
    /** The chunk in the form the hosted instance's setStateInformation reads,
        or an empty block with the reason in error. */
    static juce::MemoryBlock wrap (PluginLoader::Format format, const juce::MemoryBlock& pluginChunk,
                                   juce::String& error);
};
