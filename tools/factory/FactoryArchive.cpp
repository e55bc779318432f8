// Builds the factory content from the readable sources under factory/:
//   factory/arps/*.arp              the arp library, in file-name order
//   factory/banks/<BANK>/*.sound    one bank per folder, sounds in file-name order
// into the bank files and the arp library exactly as the plug-in writes them,
// under their paths in the user's folder ("Banks/quorvane 2.qvb",
// "Banks/arps.hpr"), both as a folder (for renders and tests from a build
// tree) and packed into the factory archive "quorvaneconfig.zip".
//
// Usage: quorvane_factory <archive.zip> <factory folder> <banks folder>
//        quorvane_factory describe <bank.qvb> [PRESET]   prints sounds as source text

#include "ArpSource.h"
#include "SoundSource.h"

#include "presets/KWBankManager.h"
#include "presets/PlistCodec.h"
#include "presets/SafeFileWriter.h"

#include <juce_core/juce_core.h>

#include <iostream>
#include <map>
#include <memory>

namespace
{
int fail (const juce::String& message)
{
    std::cerr << "quorvane_factory: " << message << std::endl;
    return 1;
}

juce::Array<juce::File> sourcesIn (const juce::File& folder, const juce::String& pattern)
{
    auto files = folder.findChildFiles (juce::File::findFiles, false, pattern);
    std::sort (files.begin(), files.end(), [] (const juce::File& a, const juce::File& b) {
        return a.getFileName().compareNatural (b.getFileName()) < 0;
    });
    return files;
}

struct Entry
{
    juce::String path; // inside the user's application folder
    juce::MemoryBlock content;
};

using ArpLibrary = std::map<juce::String, std::unique_ptr<ArpPattern>>;

bool compileArps (const juce::File& folder, ArpLibrary& library, std::vector<Entry>& entries, juce::String& error)
{
    auto root = plistNewRoot();
    auto* list = plistAddArray ({}, root.get());
    for (const auto& file : sourcesIn (folder, "*.arp"))
    {
        auto pattern = std::make_unique<ArpPattern>();
        if (! ArpSource::compile (file.loadFileAsString(), *pattern, error))
        {
            error = file.getFullPathName() + ": " + error;
            return false;
        }
        const juce::String name (pattern->name);
        if (library.count (name) != 0)
        {
            error = file.getFullPathName() + ": a second pattern named \"" + name + "\"";
            return false;
        }
        list->addChildElement (pattern->toDictionary().release());
        library[name] = std::move (pattern);
    }
    if (library.empty())
    {
        error = "no arp patterns in " + folder.getFullPathName();
        return false;
    }
    // The library is written as the plug-in's own library writes it: no trailing zero.
    const auto text = plistToText (*root, false);
    entries.push_back ({ juce::String ("Banks/") + KWBankManager::kArpLibraryName,
                         juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()) });
    return true;
}

bool compileBank (const juce::File& folder, const ArpLibrary& library, std::vector<Entry>& entries,
                  juce::String& error)
{
    const auto lookup = [&library] (const juce::String& name) -> const ArpPattern* {
        const auto it = library.find (name);
        return it != library.end() ? it->second.get() : nullptr;
    };
    auto root = plistNewRoot();
    auto* list = plistAddArray ({}, root.get());
    juce::StringArray names;
    for (const auto& file : sourcesIn (folder, "*.sound"))
    {
        auto dict = SoundSource::compile (file.loadFileAsString(), lookup, error);
        if (dict == nullptr)
        {
            error = file.getFullPathName() + ": " + error;
            return false;
        }
        const auto name = plistGetString ("name", {}, dict.get());
        if (names.contains (name))
        {
            error = file.getFullPathName() + ": the bank already has a sound named \"" + name + "\"";
            return false;
        }
        names.add (name);
        list->addChildElement (dict.release());
    }
    if (names.isEmpty())
    {
        error = "no sounds in " + folder.getFullPathName();
        return false;
    }
    // Banks are written with a trailing zero byte, as the bank manager saves them.
    entries.push_back ({ "Banks/" + KWBankManager::bankFileName (folder.getFileName()),
                         KWBankManager::withTrailingZero (plistToText (*root, false)) });
    std::cout << folder.getFileName() << ": " << names.size() << " sounds" << std::endl;
    return true;
}

int build (const juce::File& archive, const juce::File& sources, const juce::File& banksOut)
{
    std::vector<Entry> entries;
    ArpLibrary library;
    juce::String error;
    if (! compileArps (sources.getChildFile ("arps"), library, entries, error))
        return fail (error);
    auto bankFolders = sources.getChildFile ("banks").findChildFiles (juce::File::findDirectories, false);
    std::sort (bankFolders.begin(), bankFolders.end());
    for (const auto& folder : bankFolders)
        if (! compileBank (folder, library, entries, error))
            return fail (error);
    if (entries.size() < 2)
        return fail ("no banks under " + sources.getChildFile ("banks").getFullPathName());

    // Fixed entry times keep the archive the same from build to build.
    const juce::Time stamp (2024, 0, 1, 0, 0, 0, 0, false);
    juce::ZipFile::Builder builder;
    for (const auto& entry : entries)
        builder.addEntry (new juce::MemoryInputStream (entry.content, true), 9, entry.path, stamp);
    juce::MemoryOutputStream zip;
    if (! builder.writeToStream (zip, nullptr))
        return fail ("could not build the archive");
    archive.getParentDirectory().createDirectory();
    if (! writeFileReplacing (archive, zip.getData(), zip.getDataSize()))
        return fail ("could not write " + archive.getFullPathName());

    // The same files unpacked, as a first start leaves them in the user's folder.
    banksOut.createDirectory();
    for (const auto& old : banksOut.findChildFiles (juce::File::findFiles, false, "*.qvb;*.hpr"))
        old.deleteFile();
    for (const auto& entry : entries)
    {
        const auto file = banksOut.getChildFile (entry.path.fromFirstOccurrenceOf ("Banks/", false, false));
        if (! writeFileReplacing (file, entry.content))
            return fail ("could not write " + file.getFullPathName());
    }
    std::cout << library.size() << " arp patterns; wrote " << archive.getFullPathName() << std::endl;
    return 0;
}

int describe (const juce::File& bankFile, const juce::String& presetName)
{
    const auto root = plistParseFile (bankFile);
    const auto* list = root != nullptr ? root->getFirstChildElement() : nullptr;
    if (list == nullptr)
        return fail ("cannot read bank file " + bankFile.getFullPathName());
    int count = 0;
    for (auto* dict : plistGetItems ({}, list))
    {
        if (presetName.isNotEmpty() && plistGetString ("name", {}, dict) != presetName)
            continue;
        std::cout << (count++ > 0 ? "\n" : "") << SoundSource::describe (*dict);
    }
    return count > 0 ? 0 : fail ("no preset \"" + presetName + "\" in " + bankFile.getFullPathName());
}
} // namespace

int main (int argc, char** argv)
{
    const auto cwd = juce::File::getCurrentWorkingDirectory();
    if ((argc == 3 || argc == 4) && juce::String (argv[1]) == "describe")
        return describe (cwd.getChildFile (argv[2]), argc == 4 ? juce::String (argv[3]) : juce::String());
    if (argc != 4)
    {
        std::cerr << "usage: quorvane_factory <archive.zip> <factory folder> <banks folder>\n"
                     "       quorvane_factory describe <bank.qvb> [PRESET]"
                  << std::endl;
        return 2;
    }
    return build (cwd.getChildFile (argv[1]), cwd.getChildFile (argv[2]), cwd.getChildFile (argv[3]));
}
