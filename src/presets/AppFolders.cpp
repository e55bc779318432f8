#include "presets/AppFolders.h"

#include "presets/AppLog.h"

#include <juce_data_structures/juce_data_structures.h>

#include <mutex>

namespace
{
const char* const kVendorName = "Kestrelway";
const char* const kProductName = "Quorvane";
const char* const kFactoryArchive = "quorvaneconfig.zip";

struct TestFolders
{
    std::mutex lock;
    juce::File perUser, common;
};

TestFolders& testFolders()
{
    static TestFolders folders;
    return folders;
}

juce::File vendorFolder (bool common)
{
    {
        auto& test = testFolders();
        const std::lock_guard<std::mutex> guard (test.lock);
        const auto& chosen = common ? test.common : test.perUser;
        if (chosen != juce::File())
            return chosen;
    }

    // The folder JUCE would keep the vendor's settings file in, for this user
    // or for all users, cut just before the vendor's name in the file name.
    juce::PropertiesFile::Options options;
    options.applicationName = kVendorName;
    options.filenameSuffix = "";
    options.folderName = "";
    options.osxLibrarySubFolder = "Application Support";
    options.commonToAllUsers = common;
    const auto path = options.getDefaultFile().getFullPathName();
    const int cut = path.toLowerCase().lastIndexOf (juce::String (kVendorName).toLowerCase());
    return juce::File (cut >= 0 ? path.substring (0, cut) : path);
}

const char* utf8 (const juce::File& f) { return f.getFullPathName().toRawUTF8(); }
} // namespace

juce::File getAppFolder (bool common)
{
    const auto folder = vendorFolder (common).getChildFile (kProductName);
    if (folder.isDirectory())
        return folder;

    logMessage ("Quorvane local app folder does not exist. Creating at %s ...", utf8 (folder));
    if (! folder.createDirectory().wasOk())
        return folder;

    // A new folder gets the factory content: banks, arp library, MIDI map.
    const auto source = vendorFolder (true).getChildFile (kProductName);
    logMessage ("common app dir for Quorvane is: %s", utf8 (source));
    if (source.isDirectory())
    {
        const auto archive = source.getChildFile (kFactoryArchive);
        logMessage ("trying unzip file: %s to %s", utf8 (archive), utf8 (folder));
        if (archive.existsAsFile())
        {
            juce::ZipFile zip (archive);
            zip.uncompressTo (folder);
        }
    }
    return folder;
}

juce::File getBanksFolder()
{
    const auto banks = getAppFolder (false).getChildFile ("Banks");
    if (! banks.isDirectory())
        banks.createDirectory();
    return banks;
}

juce::File getResourceFile (const juce::String& relativePath)
{
    return getAppFolder (true).getChildFile ("resources").getChildFile (relativePath);
}

void setVendorFoldersForTesting (const juce::File& perUser, const juce::File& common)
{
    auto& test = testFolders();
    const std::lock_guard<std::mutex> guard (test.lock);
    test.perUser = perUser;
    test.common = common;
}
