#pragma once

#include <juce_core/juce_core.h>

#include <memory>

class KWPreset;
class PresetListener;

/** How the bank manager reaches the sound it stores and loads (the processor). */
class KWPresetClient
{
public:
    virtual ~KWPresetClient() = default;
    /** A new preset dictionary describing the current sound. */
    virtual std::unique_ptr<juce::XmlElement> createPresetDictionary() = 0;
    /** Applies the preset to the sound, then tells every preset listener. */
    virtual void loadPreset (KWPreset* preset) = 0;
    virtual void addPresetListener (PresetListener* listener) = 0;
    virtual void removePresetListener (PresetListener* listener) = 0;
};
