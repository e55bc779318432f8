#pragma once

#include "presets/KWBank.h"
#include "presets/KWBankCollection.h"
#include "presets/KWPreset.h"
#include "presets/KWPresetClient.h"
#include "presets/PresetListener.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <mutex>
#include <vector>

class ArpListener;
class ArpPattern;

/** Owns every preset the user can browse: one KWBank per bank file in the
    per-user "Banks" folder plus the pseudo-banks "All" and "Favourites". It
    tracks the current bank and preset by name, stores the current sound into
    presets, rewrites a bank file after every change, keeps the arp pattern
    library, and writes and restores the host's state chunk. It reaches the
    sound only through its KWPresetClient (the processor).

    The host may save or restore state from a thread other than the editor's;
    the manager's own lists and names are guarded by one lock for that. */
class KWBankManager : public PresetListener, public KWBankCollection
{
public:
    /** Finds (and on first use creates and seeds) the banks folder and scans it. */
    explicit KWBankManager (KWPresetClient* client);
    ~KWBankManager() override;

    // KWBankCollection
    bool createBank (const juce::String& name) override;
    bool removeBank (KWBank* bank) override;
    bool saveBank (KWBank* bank) override;
    void importBank (const juce::File& source) override;
    KWBank* findBank (const juce::String& name) override;
    KWPreset* findPreset (const juce::String& bankName, const juce::String& presetName) override;
    KWBank* getBank (int index) override;
    juce::Array<KWBank*> getBanks() override;
    juce::String getCurrentBankName() override;
    juce::String getCurrentPresetName() override;

    /** Drops every bank and reads the banks folder again. */
    void reloadBanks();
    /** Start-up: the bank "Quorvane 2" and its first preset, when they exist. */
    void selectDefaultBank();
    /** Applies p to the sound and makes it the current preset. */
    void selectPreset (KWPreset* p);
    /** The preset delta places from the current one in the current bank (no
        wrap-around); it becomes the current preset name. */
    KWPreset* getRelativePreset (int delta);
    KWPreset* getCurrentPreset();
    void setCurrentBank (const juce::String& name);
    /** The file bank a new preset saved while `listed` is shown goes to: the
        listed bank itself, or for a pseudo-bank the current file bank; null
        when there is none (the store is then refused). */
    KWBank* getStoreTargetBank (KWBank* listed);
    KWBank* getAllBank() const noexcept { return allBank; }
    KWBank* getFavouritesBank() const noexcept { return favouritesBank; }
    const juce::File& getBanksFolder() const noexcept { return banksFolder; }

    /** The host state: the dict d of the current sound plus "bankName", as a
        one-line document followed by a zero byte; replaces destData. */
    void getStateChunk (juce::MemoryBlock& destData, std::unique_ptr<juce::XmlElement> d);
    /** Restores the sound and the current names from a state chunk. A chunk
        that cannot be read changes nothing (and is logged). */
    void setStateChunk (const void* data, int sizeInBytes);

    // The arp pattern library "arps.hpr"
    juce::File getArpLibraryFile();
    juce::StringArray listArpPatternNames();
    /** A copy of the first entry of that name (caller owns it), or null. */
    std::unique_ptr<juce::XmlElement> loadArpPattern (const juce::String& name);
    /** Stores the pattern under its name, replacing the first entry of that name. */
    juce::String saveArpPattern (ArpPattern& pattern);
    juce::String deleteArpPattern (const juce::String& name);

    void addListener (PresetListener* listener);
    void removeListener (PresetListener* listener);
    void addArpListener (ArpListener* listener);
    void removeArpListener (ArpListener* listener);
    juce::Array<ArpListener*> getArpListeners() const { return arpListeners; }

    // PresetListener: the manager's reactions to bank and browser events
    void presetLoaded (KWPreset* p) override;
    void presetAdded (KWBank* bank, const juce::String& presetName) override;
    void presetRemoved (KWBank* bank, const juce::String& presetName) override;
    void presetOverwritten (KWPreset* p) override;
    void favouriteChanged (KWPreset* p, bool favourite) override;

    /** "Quorvane 2" is stored as "quorvane 2.qvb". */
    static juce::String bankFileName (const juce::String& bankName);
    /** The file name without folder and without ".qvb". */
    static juce::String bankNameFromPath (const juce::String& path);
    /** The five-line document of a new, empty bank (and a new arp library). */
    static juce::MemoryBlock emptyBankDocument();
    /** A document's text followed by the zero byte bank files and chunks end with. */
    static juce::MemoryBlock withTrailingZero (const juce::String& text);

    static constexpr const char* kDefaultBankName = "Quorvane 2";
    static constexpr const char* kArpLibraryName = "arps.hpr";

private:
    std::unique_ptr<KWBank> loadBankFile (const juce::File& file);
    void rebuildAllAndFavourites();
    void storePresetFromEngine (const juce::String& bankName, const juce::String& presetName,
                                const juce::Array<int>& tags);
    void storeIntoFileBank (KWBank* pseudo, const juce::String& presetName);
    juce::File fileForBank (const KWBank& bank) const;
    /** The parsed library and its array; an unreadable library is moved aside
        and a fresh one started. */
    std::unique_ptr<juce::XmlElement> readArpLibrary (juce::XmlElement*& array);

    juce::Array<PresetListener*> listeners;
    juce::Array<ArpListener*> arpListeners;
    juce::File banksFolder;
    KWPresetClient* client = nullptr;
    KWPreset::Ptr scratchPreset;
    KWBank* currentBank = nullptr;
    juce::String currentBankName { "Init" };
    juce::String currentPresetName { "Init" };
    std::vector<std::unique_ptr<KWBank>> banks;
    KWBank* allBank = nullptr;
    KWBank* favouritesBank = nullptr;
    std::recursive_mutex lock;

    JUCE_DECLARE_NON_COPYABLE (KWBankManager)
};
