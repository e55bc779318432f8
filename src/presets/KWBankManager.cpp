#include "presets/KWBankManager.h"

#include "arp/ArpPattern.h"
#include "presets/AppFolders.h"
#include "presets/AppLog.h"
#include "presets/PlistCodec.h"
#include "presets/SafeFileWriter.h"

#include <algorithm>

namespace
{
using Lock = std::lock_guard<std::recursive_mutex>;

const char* const kBankExtension = ".qvb";

const char* utf8 (const juce::File& f) { return f.getFullPathName().toRawUTF8(); }

juce::XmlElement* firstChildElement (const juce::XmlElement* parent)
{
    if (parent == nullptr)
        return nullptr;
    for (auto* e = parent->getFirstChildElement(); e != nullptr; e = e->getNextElement())
        if (! e->isTextElement())
            return e;
    return nullptr;
}

/** Replaces the text of key's value, or appends a string pair when missing. */
void setValueText (juce::XmlElement& dict, const juce::String& key, const juce::String& text)
{
    if (auto* value = plistFindValue (key, &dict))
    {
        value->deleteAllChildElements();
        value->addTextElement (text);
    }
    else
        plistAddString (key, text, &dict);
}

template <typename Fn>
void notify (const juce::Array<PresetListener*>& listeners, Fn&& fn)
{
    // A copy: a listener may remove itself while it is told.
    const auto copy = listeners;
    for (auto* l : copy)
        if (l != nullptr)
            fn (*l);
}

bool isUsableBankName (const juce::String& name)
{
    return name.trim().isNotEmpty() && juce::File::createLegalFileName (name) == name && ! name.containsChar ('/')
           && ! name.containsChar ('\\') && name != "." && name != "..";
}
} // namespace

KWBankManager::KWBankManager (KWPresetClient* presetClient)
{
    banksFolder = ::getBanksFolder();
    logMessage ("setting bank manager root to %s", utf8 (banksFolder));
    reloadBanks();
    client = presetClient;
}

KWBankManager::~KWBankManager()
{
    const Lock guard (lock);
    banks.clear();
    scratchPreset = nullptr;
}

juce::String KWBankManager::bankFileName (const juce::String& bankName) { return bankName.toLowerCase() + kBankExtension; }

juce::String KWBankManager::bankNameFromPath (const juce::String& path)
{
    const auto fileName = path.fromLastOccurrenceOf (juce::File::getSeparatorString(), false, false);
    const int extension = fileName.lastIndexOf (kBankExtension);
    return extension >= 0 ? fileName.substring (0, extension) : fileName;
}

juce::MemoryBlock KWBankManager::withTrailingZero (const juce::String& text)
{
    juce::MemoryBlock block;
    {
        juce::MemoryOutputStream out (block, false);
        out.writeString (text); // UTF-8 and the zero byte
    }
    return block;
}

juce::MemoryBlock KWBankManager::emptyBankDocument()
{
    const juce::String text = juce::String ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") + kPlistDoctype
                              + "\n<plist version=\"1.0\">\n<array />\n</plist>";
    return withTrailingZero (text);
}

//==============================================================================
void KWBankManager::reloadBanks()
{
    const Lock guard (lock);
    banks.clear();
    auto all = std::make_unique<KWBank> ("All", true);
    auto favourites = std::make_unique<KWBank> ("Favourites", true);
    all->addListener (this);
    favourites->addListener (this);
    allBank = all.get();
    favouritesBank = favourites.get();
    banks.push_back (std::move (all));
    banks.push_back (std::move (favourites));

    // Banks are listed by file name, so every machine shows them in one order.
    juce::Array<juce::File> files;
    for (const auto& entry : juce::RangedDirectoryIterator (banksFolder, false, "*.qvb", juce::File::findFiles))
        files.add (entry.getFile());
    std::sort (files.begin(), files.end(), [] (const juce::File& a, const juce::File& b) {
        return a.getFileName().compareNatural (b.getFileName()) < 0;
    });
    for (const auto& file : files)
        if (auto bank = loadBankFile (file))
            banks.push_back (std::move (bank));

    // The old bank objects are gone; the current bank is found again by name.
    if (currentBank != nullptr)
        currentBank = findBank (currentBankName);
    rebuildAllAndFavourites();
}

std::unique_ptr<KWBank> KWBankManager::loadBankFile (const juce::File& file)
{
    const auto root = plistParseFile (file);
    const auto* list = firstChildElement (root.get());
    if (list == nullptr)
    {
        logMessage ("bank file %s cannot be read; it is left as it is and not listed", utf8 (file));
        return nullptr;
    }

    auto bank = std::make_unique<KWBank> (bankNameFromPath (file.getFullPathName()), false);
    bank->file = file;
    for (auto* item : plistGetItems ({}, list))
    {
        if (item->getTagName() != "dict")
            continue;
        KWPreset::Ptr p (new KWPreset());
        p->setDictionary (item);
        bank->addPreset (p.get()); // a second preset of the same name is dropped
    }
    bank->addListener (this);
    return bank;
}

void KWBankManager::rebuildAllAndFavourites()
{
    const Lock guard (lock);
    allBank->clearWithoutNotice();
    favouritesBank->clearWithoutNotice();
    for (const auto& bank : banks)
    {
        if (bank->isPseudo)
            continue;
        for (auto* p : bank->presets)
        {
            allBank->appendWithoutNotice (p);
            if (p->fav)
                favouritesBank->appendWithoutNotice (p);
        }
    }
}

juce::File KWBankManager::fileForBank (const KWBank& bank) const
{
    // A bank read from a file is written back to that file, whatever the case
    // of its name, so that no second file of the same bank appears.
    return bank.file != juce::File() ? bank.file : banksFolder.getChildFile (bankFileName (bank.name));
}

//==============================================================================
bool KWBankManager::createBank (const juce::String& name)
{
    const Lock guard (lock);
    if (! isUsableBankName (name) || findBank (name) != nullptr)
        return false;

    const auto file = banksFolder.getChildFile (bankFileName (name));
    if (file.exists())
    {
        // A file of that name that did not load: kept aside rather than overwritten.
        const auto aside = moveAsideUnreadable (file);
        if (aside == juce::File())
            return false;
        logMessage ("bank file %s cannot be read; kept as %s", utf8 (file), utf8 (aside));
    }
    if (! writeFileReplacing (file, emptyBankDocument()))
        logMessage ("bank file %s could not be written", utf8 (file));
    reloadBanks();
    return true;
}

bool KWBankManager::removeBank (KWBank* bank)
{
    const Lock guard (lock);
    if (bank == nullptr || bank->isPseudo)
        return false;
    auto it = std::find_if (banks.begin(), banks.end(), [bank] (const auto& b) { return b.get() == bank; });
    if (it == banks.end())
        return false;

    const auto name = bank->name;
    if (name == currentBankName)
    {
        currentBankName = "";
        currentBank = nullptr;
    }
    if (currentBank == bank)
        currentBank = nullptr;
    const auto file = fileForBank (*bank);
    if (file.existsAsFile() && file.deleteFile())
        notify (listeners, [&] (PresetListener& l) { l.bankRemoved (name); });
    banks.erase (it);
    rebuildAllAndFavourites();
    return true;
}

bool KWBankManager::saveBank (KWBank* bank)
{
    const Lock guard (lock);
    if (bank == nullptr)
        return false;
    if (bank->isPseudo)
    {
        logMessage ("bank %s lists other banks' presets and is not written", bank->name.toRawUTF8());
        return false;
    }

    auto root = plistNewRoot();
    auto* list = plistAddArray ({}, root.get());
    for (auto* p : bank->presets)
        if (auto* d = p->getDictionary())
            list->addChildElement (new juce::XmlElement (*d));

    const auto file = fileForBank (*bank);
    if (! writeFileReplacing (file, withTrailingZero (plistToText (*root, false))))
    {
        logMessage ("bank file %s could not be written; the old file is unchanged", utf8 (file));
        return false;
    }
    return true;
}

void KWBankManager::importBank (const juce::File& source)
{
    const Lock guard (lock);
    if (firstChildElement (plistParseFile (source).get()) == nullptr)
    {
        logMessage ("%s is not a bank file; nothing imported", utf8 (source));
        return;
    }
    const auto target = banksFolder.getChildFile (source.getFileName());
    if (target != source)
    {
        juce::MemoryBlock content;
        if (! source.loadFileAsData (content) || ! writeFileReplacing (target, content))
            return;
    }
    reloadBanks();
    const auto name = bankNameFromPath (source.getFullPathName());
    notify (listeners, [&] (PresetListener& l) { l.bankAdded (name); });
}

KWBank* KWBankManager::findBank (const juce::String& name)
{
    const Lock guard (lock);
    const auto lower = name.toLowerCase();
    for (const auto& bank : banks)
        if (bank->name.toLowerCase() == lower)
            return bank.get();
    return nullptr;
}

KWPreset* KWBankManager::findPreset (const juce::String& bankName, const juce::String& presetName)
{
    const Lock guard (lock);
    if (auto* bank = findBank (bankName))
        return bank->findPresetByName (presetName);
    return nullptr;
}

KWBank* KWBankManager::getBank (int index)
{
    const Lock guard (lock);
    if (banks.empty())
        return nullptr;
    return banks[(size_t) juce::jlimit (0, (int) banks.size() - 1, index)].get();
}

juce::Array<KWBank*> KWBankManager::getBanks()
{
    const Lock guard (lock);
    juce::Array<KWBank*> result;
    for (const auto& bank : banks)
        result.add (bank.get());
    return result;
}

juce::String KWBankManager::getCurrentBankName()
{
    const Lock guard (lock);
    return currentBankName;
}

juce::String KWBankManager::getCurrentPresetName()
{
    const Lock guard (lock);
    return currentPresetName;
}

//==============================================================================
void KWBankManager::selectDefaultBank()
{
    const Lock guard (lock);
    currentBank = findBank (kDefaultBankName);
    if (currentBank != nullptr)
    {
        currentBankName = currentBank->name;
        if (! currentBank->presets.isEmpty())
        {
            auto* first = currentBank->presets.getFirst().get();
            selectPreset (first);
            currentPresetName = first->name;
        }
    }
    else if (client != nullptr)
    {
        scratchPreset = new KWPreset();
        scratchPreset->setDictionary (client->createPresetDictionary().get());
    }
}

void KWBankManager::selectPreset (KWPreset* p)
{
    if (p == nullptr)
        return;
    const Lock guard (lock);
    const KWPreset::Ptr keep (p);
    if (client != nullptr)
        client->loadPreset (p);
    presetLoaded (p);
}

void KWBankManager::presetLoaded (KWPreset* p)
{
    if (p == nullptr)
        return;
    const Lock guard (lock);
    currentPresetName = p->getName();
    if (p->bank != nullptr)
    {
        currentBankName = p->bank->name;
        // The chunk names the bank of the sound the user picked last.
        currentBank = findBank (currentBankName);
    }
    notify (listeners, [p] (PresetListener& l) { l.presetLoaded (p); });
}

KWPreset* KWBankManager::getRelativePreset (int delta)
{
    const Lock guard (lock);
    auto* bank = findBank (currentBankName);
    auto* p = bank != nullptr ? bank->findPresetByName (currentPresetName) : nullptr;
    if (p == nullptr)
        return nullptr;
    // The position in the listed bank: in "All" a preset's number is that of its own bank.
    const int i = bank->presets.indexOf (p) + delta;
    if (i < 0 || i >= bank->presets.size())
        return p;
    auto* next = bank->presets.getUnchecked (i).get();
    currentPresetName = next->name;
    return next;
}

KWPreset* KWBankManager::getCurrentPreset()
{
    const Lock guard (lock);
    return findPreset (currentBankName, currentPresetName);
}

void KWBankManager::setCurrentBank (const juce::String& name)
{
    const Lock guard (lock);
    currentBank = findBank (name);
    currentBankName = currentBank != nullptr ? name : juce::String();
}

KWBank* KWBankManager::getStoreTargetBank (KWBank* listed)
{
    const Lock guard (lock);
    if (listed != nullptr && ! listed->isPseudo)
        return listed;
    if (auto* bank = findBank (currentBankName); bank != nullptr && ! bank->isPseudo)
        return bank;
    if (auto* current = getCurrentPreset(); current != nullptr && current->bank != nullptr && ! current->bank->isPseudo)
        return current->bank;
    return nullptr;
}

//==============================================================================
void KWBankManager::storePresetFromEngine (const juce::String& bankName, const juce::String& presetName,
                                           const juce::Array<int>& tags)
{
    auto* bank = findBank (bankName);
    if (bank == nullptr || bank->isPseudo || client == nullptr)
        return;
    const KWPreset::Ptr p (bank->findPresetByName (presetName));
    if (p == nullptr)
        return;

    juce::StringArray tagTexts;
    for (int t : tags)
        tagTexts.add (juce::String (t));

    auto d = client->createPresetDictionary();
    if (d == nullptr)
        return;
    setValueText (*d, "name", presetName);
    setValueText (*d, "tags", tagTexts.joinIntoString (","));
    plistAddBool ("fav", d.get(), p->fav);

    p->name = presetName;
    p->tags = tags;
    p->setDictionary (d.get());
    saveBank (bank);

    notify (listeners, [&] (PresetListener& l) { l.presetAdded (bank, presetName); });
    notify (listeners, [&] (PresetListener& l) { l.presetLoaded (p.get()); });
}

void KWBankManager::storeIntoFileBank (KWBank* pseudo, const juce::String& presetName)
{
    // A new preset saved while "All" or "Favourites" is listed goes into the
    // current file bank; a pseudo-bank itself is never written.
    const KWPreset::Ptr p (pseudo->findPresetByName (presetName));
    if (p == nullptr)
        return;
    pseudo->removeWithoutNotice (p.get());
    p->bank = nullptr;

    auto* target = getStoreTargetBank (pseudo);
    if (target == nullptr)
    {
        logMessage ("preset %s not stored: no bank is selected to store it in", presetName.toRawUTF8());
    }
    else
    {
        if (pseudo == favouritesBank)
            p->fav = true; // saved from the favourites list, it stays in that list
        if (! target->addPreset (p.get()))
            logMessage ("preset %s not stored: bank %s already has a preset of that name", presetName.toRawUTF8(),
                        target->name.toRawUTF8());
    }
    rebuildAllAndFavourites();
}

void KWBankManager::presetAdded (KWBank* bank, const juce::String& presetName)
{
    if (bank == nullptr)
        return;
    const Lock guard (lock);
    if (bank->isPseudo)
    {
        storeIntoFileBank (bank, presetName);
        return;
    }
    auto* p = bank->findPresetByName (presetName);
    if (p == nullptr)
        return;
    storePresetFromEngine (bank->name, presetName, p->getTags());
    setCurrentBank (bank->name);
    rebuildAllAndFavourites();
}

void KWBankManager::presetOverwritten (KWPreset* p)
{
    if (p == nullptr || p->bank == nullptr || p->bank->isPseudo)
        return;
    const Lock guard (lock);
    const KWPreset::Ptr keep (p);
    storePresetFromEngine (p->bank->name, p->name, p->getTags());
    if (client != nullptr)
        client->loadPreset (p);
    rebuildAllAndFavourites();
}

void KWBankManager::presetRemoved (KWBank* bank, const juce::String&)
{
    if (bank == nullptr)
        return;
    const Lock guard (lock);
    if (! bank->isPseudo)
        saveBank (bank);
    rebuildAllAndFavourites();
}

void KWBankManager::favouriteChanged (KWPreset* p, bool favourite)
{
    if (p == nullptr)
        return;
    const Lock guard (lock);
    const KWPreset::Ptr keep (p);
    p->fav = favourite;
    if (auto* d = p->getDictionary())
    {
        setValueText (*d, "name", p->name);
        auto flag = std::make_unique<juce::XmlElement> (favourite ? "true" : "false");
        if (auto* old = plistFindValue ("fav", d))
            d->replaceChildElement (old, flag.release());
        else
            plistAddElement ("fav", d, std::move (flag));
        p->setDictionary (d);
    }
    if (p->bank != nullptr && ! p->bank->isPseudo)
        saveBank (p->bank);
    rebuildAllAndFavourites();
}

//==============================================================================
void KWBankManager::getStateChunk (juce::MemoryBlock& destData, std::unique_ptr<juce::XmlElement> d)
{
    if (d == nullptr)
        return;
    const Lock guard (lock);
    plistAddString ("bankName", currentBank != nullptr ? currentBankName : juce::String(), d.get());
    auto root = plistNewRoot();
    plistAddElement ({}, root.get(), std::move (d));
    juce::MemoryOutputStream out (destData, false);
    out.writeString (plistToText (*root, true));
}

void KWBankManager::setStateChunk (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return;
    const Lock guard (lock);

    const juce::MemoryBlock copy (data, (size_t) sizeInBytes);
    juce::MemoryInputStream in (copy, false);
    const auto root = plistParseText (in.readEntireStreamAsString());
    const auto* d = firstChildElement (root.get());
    if (d == nullptr)
    {
        logMessage ("Quorvane: the saved state (%d bytes) cannot be read; the sound stays as it is", sizeInBytes);
        return;
    }

    const KWPreset::Ptr p (new KWPreset());
    p->setDictionary (d);
    const auto bankName = plistGetString ("bankName", {}, d);
    if (bankName.isNotEmpty())
    {
        setCurrentBank (bankName);
        p->bank = currentBank;
    }
    selectPreset (p.get());
    // p is free-standing: it never joins a bank and goes when this call ends.
    p->bank = nullptr;
}

//==============================================================================
juce::File KWBankManager::getArpLibraryFile()
{
    const auto file = banksFolder.getChildFile (kArpLibraryName);
    if (! file.exists())
        writeFileReplacing (file, emptyBankDocument());
    return file;
}

std::unique_ptr<juce::XmlElement> KWBankManager::readArpLibrary (juce::XmlElement*& array)
{
    auto file = getArpLibraryFile();
    auto root = plistParseFile (file);
    array = firstChildElement (root.get());
    if (array == nullptr && file.exists())
    {
        // Kept for the user under a new name; a fresh library takes its place.
        const auto aside = moveAsideUnreadable (file);
        logMessage ("arp library %s cannot be read; kept as %s, a new library is started", utf8 (file), utf8 (aside));
        file = getArpLibraryFile();
        root = plistParseFile (file);
        array = firstChildElement (root.get());
    }
    return root;
}

juce::StringArray KWBankManager::listArpPatternNames()
{
    const Lock guard (lock);
    juce::XmlElement* array = nullptr;
    const auto root = readArpLibrary (array);
    juce::StringArray names;
    for (auto* item : plistGetItems ({}, array))
        names.add (plistGetString ("name", {}, item));
    names.sortNatural();
    return names;
}

std::unique_ptr<juce::XmlElement> KWBankManager::loadArpPattern (const juce::String& name)
{
    const Lock guard (lock);
    juce::XmlElement* array = nullptr;
    const auto root = readArpLibrary (array);
    for (auto* item : plistGetItems ({}, array))
        if (plistGetString ("name", {}, item) == name)
            return std::make_unique<juce::XmlElement> (*item);
    return nullptr;
}

juce::String KWBankManager::saveArpPattern (ArpPattern& pattern)
{
    auto d = pattern.toDictionary();
    const auto name = juce::String::fromUTF8 (pattern.name.c_str());

    const Lock guard (lock);
    juce::XmlElement* array = nullptr;
    const auto root = readArpLibrary (array);
    if (array == nullptr)
        return {};
    for (auto* item : plistGetItems ({}, array))
    {
        if (plistGetString ("name", {}, item) == name)
        {
            array->removeChildElement (item, true);
            break;
        }
    }
    array->addChildElement (d.release());
    if (! plistWriteFile (getArpLibraryFile(), *array))
        logMessage ("arp library %s could not be written; the old file is unchanged", utf8 (getArpLibraryFile()));
    return {};
}

juce::String KWBankManager::deleteArpPattern (const juce::String& name)
{
    const Lock guard (lock);
    juce::XmlElement* array = nullptr;
    const auto root = readArpLibrary (array);
    for (auto* item : plistGetItems ({}, array))
    {
        if (plistGetString ("name", {}, item) == name)
        {
            array->removeChildElement (item, true);
            plistWriteFile (getArpLibraryFile(), *array);
            break;
        }
    }
    return {};
}

//==============================================================================
void KWBankManager::addListener (PresetListener* listener)
{
    const Lock guard (lock);
    if (listener != nullptr)
        listeners.addIfNotAlreadyThere (listener);
}

void KWBankManager::removeListener (PresetListener* listener)
{
    const Lock guard (lock);
    listeners.removeFirstMatchingValue (listener);
}

void KWBankManager::addArpListener (ArpListener* listener)
{
    const Lock guard (lock);
    arpListeners.add (listener);
}

void KWBankManager::removeArpListener (ArpListener* listener)
{
    const Lock guard (lock);
    arpListeners.removeFirstMatchingValue (listener);
}
