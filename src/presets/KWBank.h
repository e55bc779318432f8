#pragma once

#include "presets/KWPreset.h"

#include <juce_core/juce_core.h>

class PresetListener;

/** A list of presets: one bank file, or one of the pseudo-banks "All" and
    "Favourites" that list the presets of the file banks again. A pseudo-bank
    only holds extra references: its presets keep their own bank and number. */
class KWBank
{
public:
    KWBank (const juce::String& bankName, bool pseudo);
    ~KWBank();

    /** Appends p unless the bank has a preset of that name; p joins this bank
        and the listeners hear presetAdded. */
    bool addPreset (KWPreset* p);
    /** Removes p and tells the listeners. Asked of a pseudo-bank, it removes
        the preset from the bank it belongs to. */
    void removePreset (KWPreset* p);
    KWPreset* findPresetByName (const juce::String& presetName) const;
    /** Presets whose name contains text (ignoring case) and that carry every tag. */
    juce::Array<KWPreset*> getFilteredPresets (const juce::Array<int>& tags, const juce::String& text) const;
    /** Row index of the list filtered by the bank's own filter fields. */
    KWPreset* getFilteredPreset (int index) const;

    void addListener (PresetListener* listener) { listeners.addIfNotAlreadyThere (listener); }
    void removeListener (PresetListener* listener) { listeners.removeFirstMatchingValue (listener); }

    /** For the bank manager: list changes that raise no events. */
    void appendWithoutNotice (KWPreset* p) { presets.add (p); }
    void removeWithoutNotice (KWPreset* p) { presets.removeObject (p); }
    void clearWithoutNotice() { presets.clear(); }

    juce::String name;
    bool isPseudo = false;
    juce::Array<int> tagFilter;
    juce::String searchText;
    juce::ReferenceCountedArray<KWPreset> presets;
    juce::Array<PresetListener*> listeners;
    /** The file the bank was read from; saving writes it back there. */
    juce::File file;

private:
    void renumber();

    JUCE_DECLARE_NON_COPYABLE (KWBank)
};
