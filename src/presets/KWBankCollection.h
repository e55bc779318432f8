#pragma once

#include <juce_core/juce_core.h>

class KWBank;
class KWPreset;

/** The editor's view of the bank manager. */
class KWBankCollection
{
public:
    virtual ~KWBankCollection() = default;
    /** Writes a new empty bank file and rescans; false when the name is taken or not a file name. */
    virtual bool createBank (const juce::String& name) = 0;
    /** Deletes the bank's file and drops the bank; pseudo-banks cannot be removed. */
    virtual bool removeBank (KWBank* bank) = 0;
    /** Writes the bank's file; false for a pseudo-bank or when writing failed. */
    virtual bool saveBank (KWBank* bank) = 0;
    /** Copies a bank file into the banks folder and rescans. */
    virtual void importBank (const juce::File& source) = 0;
    /** First bank (pseudo-banks included) whose name matches, ignoring case. */
    virtual KWBank* findBank (const juce::String& name) = 0;
    virtual KWPreset* findPreset (const juce::String& bankName, const juce::String& presetName) = 0;
    /** The bank at index, clamped to the list. */
    virtual KWBank* getBank (int index) = 0;
    /** "All", "Favourites", then the file banks. */
    virtual juce::Array<KWBank*> getBanks() = 0;
    virtual juce::String getCurrentBankName() = 0;
    virtual juce::String getCurrentPresetName() = 0;
};
