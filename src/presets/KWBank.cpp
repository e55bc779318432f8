#include "presets/KWBank.h"

#include "presets/PresetListener.h"

KWBank::KWBank (const juce::String& bankName, bool pseudo) : name (bankName), isPseudo (pseudo) {}

KWBank::~KWBank()
{
    // Presets can outlive their bank (the editor may still hold one).
    for (auto* p : presets)
        if (p->bank == this)
            p->bank = nullptr;
}

bool KWBank::addPreset (KWPreset* p)
{
    if (p == nullptr || findPresetByName (p->name) != nullptr)
        return false;
    p->bank = this;
    presets.add (p);
    const auto presetName = p->name;
    for (int i = listeners.size(); --i >= 0;)
        if (auto* l = listeners[i])
            l->presetAdded (this, presetName);
    renumber();
    return true;
}

void KWBank::removePreset (KWPreset* p)
{
    if (p == nullptr)
        return;
    const KWPreset::Ptr keep (p);
    if (isPseudo && p->bank != nullptr && p->bank != this && ! p->bank->isPseudo)
    {
        // Removing from "All" or "Favourites" removes the preset itself.
        p->bank->removePreset (p);
        return;
    }
    if (! presets.contains (p))
        return;
    presets.removeObject (p);
    const auto presetName = p->name;
    for (int i = listeners.size(); --i >= 0;)
        if (auto* l = listeners[i])
            l->presetRemoved (this, presetName);
    renumber();
}

KWPreset* KWBank::findPresetByName (const juce::String& presetName) const
{
    for (auto* p : presets)
        if (p->name == presetName)
            return p;
    return nullptr;
}

juce::Array<KWPreset*> KWBank::getFilteredPresets (const juce::Array<int>& tags, const juce::String& text) const
{
    const auto lowerText = text.toLowerCase();
    juce::Array<KWPreset*> result;
    for (auto* p : presets)
    {
        if (text.isNotEmpty() && ! p->name.toLowerCase().contains (lowerText))
            continue;
        if (! tags.isEmpty())
        {
            const auto presetTags = p->getTags();
            bool all = true;
            for (int t : tags)
                all = all && presetTags.contains (t);
            if (! all)
                continue;
        }
        result.add (p);
    }
    return result;
}

KWPreset* KWBank::getFilteredPreset (int index) const
{
    return getFilteredPresets (tagFilter, searchText)[index];
}

void KWBank::renumber()
{
    // A pseudo-bank's presets keep the numbers of their own banks.
    if (isPseudo)
        return;
    for (int i = 0; i < presets.size(); ++i)
        presets.getUnchecked (i)->number = i + 1;
}
