#pragma once

#include <juce_core/juce_core.h>

class KWBank;
class KWPreset;

/** Preset events. The processor, the bank manager, the editor and the browser
    lists implement the ones they care about. */
class PresetListener
{
public:
    virtual ~PresetListener() = default;
    /** Has no sender; kept so implementers keep their place in the interface. */
    virtual void presetEvent (const juce::String&, const juce::String&) {}
    /** A preset became the current sound. */
    virtual void presetLoaded (KWPreset*) {}
    virtual void bankAdded (const juce::String&) {}
    virtual void bankRemoved (const juce::String&) {}
    virtual void presetAdded (KWBank*, const juce::String&) {}
    virtual void presetRemoved (KWBank*, const juce::String&) {}
    /** Request: store the current sound into this existing preset. */
    virtual void presetOverwritten (KWPreset*) {}
    /** Request: persist the new favourite flag. */
    virtual void favouriteChanged (KWPreset*, bool) {}
};
