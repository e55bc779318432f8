#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

class KWPreset;
class PresetListener;

/** How the bank manager reaches the sound it stores and loads (the processor).
    The client keeps the preset listeners; loadPreset tells them through
    tellPresetLoaded once the sound is applied. */
class KWPresetClient
{
public:
    virtual ~KWPresetClient() = default;
    /** A new preset dictionary describing the current sound. */
    virtual std::unique_ptr<juce::XmlElement> createPresetDictionary() = 0;
    /** Applies the preset to the sound, then tells every preset listener. */
    virtual void loadPreset (KWPreset* preset) = 0;
    void addPresetListener (PresetListener* listener);
    void removePresetListener (PresetListener* listener);

protected:
    void tellPresetLoaded (KWPreset* preset);
    void removeAllPresetListeners() { presetListeners.clear(); }

private:
    std::vector<PresetListener*> presetListeners;
};
