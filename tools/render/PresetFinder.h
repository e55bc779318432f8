#pragma once

#include <juce_core/juce_core.h>

/** Finds a sound in the installed banks and turns it into the host state chunk
    that makes the plug-in load it. */
class PresetFinder
{
public:
    /** The per-user banks folder of an installed Quorvane. */
    static juce::File installedBanksFolder();

    explicit PresetFinder (const juce::File& banksFolder);

    /** "BANK/PRESET": bank names ignore case, preset names are exact. Returns
        the state chunk, or an empty block with the reason (listing the closest
        names) in error. */
    juce::MemoryBlock stateFor (const juce::String& bankSlashPreset, juce::String& error) const;

private:
    static juce::StringArray closest (const juce::StringArray& names, const juce::String& wanted);

    juce::File folder;
};
