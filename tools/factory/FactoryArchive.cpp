// Builds the factory archive "quorvaneconfig.zip" from the sources under
// factory/: every bank file and the arp library, checked and written in the
// form the plug-in itself writes, under their paths in the user's folder.
// Usage: quorvane_factory <archive.zip> <factory folder>

#include "presets/KWBankManager.h"
#include "presets/PlistCodec.h"
#include "presets/SafeFileWriter.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <iostream>

namespace
{
bool fail (const juce::String& message)
{
    std::cerr << "quorvane_factory: " << message << std::endl;
    return false;
}

/** The file as the plug-in writes it, or an empty block when it is not valid. */
bool canonicalContent (const juce::File& file, juce::MemoryBlock& content)
{
    const auto root = plistParseFile (file);
    const auto* list = root != nullptr ? root->getFirstChildElement() : nullptr;
    if (list == nullptr || list->getTagName() != "array")
        return fail (file.getFullPathName() + " is not a property list holding an array");

    if (file.hasFileExtension ("qvb"))
    {
        juce::StringArray names;
        for (auto* preset : plistGetItems ({}, list))
        {
            const auto name = plistGetString ("name", {}, preset);
            if (preset->getTagName() != "dict" || plistGetInteger ("osc1Type", -1, preset) == -1)
                return fail (file.getFullPathName() + ": an entry is not a preset");
            if (name.isEmpty() || names.contains (name))
                return fail (file.getFullPathName() + ": preset name missing or used twice: " + name);
            names.add (name);
        }
        // Banks are written with a trailing zero byte.
        content = KWBankManager::withTrailingZero (plistToText (*root, false));
        return true;
    }

    for (auto* pattern : plistGetItems ({}, list))
        if (pattern->getTagName() != "dict" || plistGetItems ("steps", pattern).isEmpty())
            return fail (file.getFullPathName() + ": an entry is not an arp pattern");
    auto clean = plistNewRoot();
    clean->addChildElement (new juce::XmlElement (*list));
    const auto text = plistToText (*clean, false);
    content.replaceAll (text.toRawUTF8(), text.getNumBytesAsUTF8());
    return true;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::cerr << "usage: quorvane_factory <archive.zip> <factory folder>" << std::endl;
        return 2;
    }
    const juce::File archive (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    const juce::File sources (juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]));

    juce::Array<juce::File> files;
    for (const auto& entry : juce::RangedDirectoryIterator (sources, true, "*", juce::File::findFiles))
        if (entry.getFile().hasFileExtension ("qvb;hpr"))
            files.add (entry.getFile());
    std::sort (files.begin(), files.end());
    if (files.isEmpty())
        return fail ("no bank files under " + sources.getFullPathName()) ? 0 : 1;

    // Fixed entry times keep the archive the same from build to build.
    const juce::Time stamp (2024, 0, 1, 0, 0, 0, 0, false);
    juce::ZipFile::Builder builder;
    for (const auto& file : files)
    {
        juce::MemoryBlock content;
        if (! canonicalContent (file, content))
            return 1;
        builder.addEntry (new juce::MemoryInputStream (content, true), 9,
                          file.getRelativePathFrom (sources).replaceCharacter ('\\', '/'), stamp);
    }

    juce::MemoryOutputStream zip;
    if (! builder.writeToStream (zip, nullptr))
        return fail ("could not build the archive") ? 0 : 1;
    archive.getParentDirectory().createDirectory();
    if (! writeFileReplacing (archive, zip.getData(), zip.getDataSize()))
        return fail ("could not write " + archive.getFullPathName()) ? 0 : 1;
    return 0;
}
