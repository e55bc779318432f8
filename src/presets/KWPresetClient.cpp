#include "presets/KWPresetClient.h"

#include "presets/PresetListener.h"

#include <algorithm>

void KWPresetClient::addPresetListener (PresetListener* listener)
{
    if (listener != nullptr && std::find (presetListeners.begin(), presetListeners.end(), listener) == presetListeners.end())
        presetListeners.push_back (listener);
}

void KWPresetClient::removePresetListener (PresetListener* listener)
{
    auto it = std::find (presetListeners.begin(), presetListeners.end(), listener);
    if (it != presetListeners.end())
        presetListeners.erase (it);
}

void KWPresetClient::tellPresetLoaded (KWPreset* preset)
{
    // A copy: a listener may remove itself when told.
    const auto toTell = presetListeners;
    for (auto* listener : toTell)
        listener->presetLoaded (preset);
}
