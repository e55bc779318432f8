#include "PresetFinder.h"

#include <algorithm>

namespace
{
juce::String nameOf (const juce::XmlElement& dict)
{
    for (auto* child = dict.getFirstChildElement(); child != nullptr; child = child->getNextElement())
        if (child->hasTagName ("key") && child->getAllSubText() == "name")
            if (auto* value = child->getNextElement())
                return value->getAllSubText();
    return {};
}

int distance (const juce::String& a, const juce::String& b)
{
    const auto x = a.toLowerCase(), y = b.toLowerCase();
    std::vector<int> row ((size_t) y.length() + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = (int) j;
    for (int i = 1; i <= x.length(); ++i)
    {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= y.length(); ++j)
        {
            const int above = row[(size_t) j];
            row[(size_t) j] = std::min ({ row[(size_t) j] + 1, row[(size_t) j - 1] + 1,
                                          diagonal + (x[i - 1] == y[j - 1] ? 0 : 1) });
            diagonal = above;
        }
    }
    return row.back();
}
} // namespace

juce::File PresetFinder::installedBanksFolder()
{
    return juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".Kestrelway/Quorvane/Banks");
}

PresetFinder::PresetFinder (const juce::File& banksFolder) : folder (banksFolder) {}

juce::StringArray PresetFinder::closest (const juce::StringArray& names, const juce::String& wanted)
{
    juce::StringArray sorted (names);
    std::sort (sorted.begin(), sorted.end(), [&] (const juce::String& a, const juce::String& b) {
        return distance (a, wanted) < distance (b, wanted);
    });
    sorted.removeRange (5, sorted.size());
    return sorted;
}

juce::MemoryBlock PresetFinder::stateFor (const juce::String& bankSlashPreset, juce::String& error) const
{
    const auto bankName = bankSlashPreset.upToFirstOccurrenceOf ("/", false, false);
    const auto presetName = bankSlashPreset.fromFirstOccurrenceOf ("/", false, false);

    juce::StringArray bankNames;
    juce::File bankFile;
    for (const auto& file : folder.findChildFiles (juce::File::findFiles, false, "*.qvb"))
    {
        bankNames.add (file.getFileNameWithoutExtension());
        if (file.getFileNameWithoutExtension().equalsIgnoreCase (bankName))
            bankFile = file;
    }
    if (bankFile == juce::File())
    {
        error = "no bank '" + bankName + "' in " + folder.getFullPathName()
                + (bankNames.isEmpty() ? juce::String (" (no banks installed)")
                                       : "; closest: " + closest (bankNames, bankName).joinIntoString (", "));
        return {};
    }

    auto root = juce::XmlDocument::parse (bankFile);
    auto* presets = root != nullptr ? root->getFirstChildElement() : nullptr;
    if (presets == nullptr)
    {
        error = "cannot read bank file " + bankFile.getFullPathName();
        return {};
    }

    juce::StringArray presetNames;
    for (auto* dict = presets->getFirstChildElement(); dict != nullptr; dict = dict->getNextElement())
    {
        const auto name = nameOf (*dict);
        presetNames.add (name);
        if (name != presetName)
            continue;

        // The same document the plug-in writes as its state: the preset's
        // dictionary plus the bank it came from.
        juce::XmlElement plist ("plist");
        auto* copy = new juce::XmlElement (*dict);
        copy->createNewChildElement ("key")->addTextElement ("bankName");
        copy->createNewChildElement ("string")->addTextElement (bankFile.getFileNameWithoutExtension());
        plist.addChildElement (copy);
        juce::MemoryBlock chunk;
        juce::MemoryOutputStream stream (chunk, false);
        stream.writeString (plist.toString (juce::XmlElement::TextFormat().singleLine()));
        return chunk;
    }
    error = "no preset '" + presetName + "' in bank " + bankFile.getFileNameWithoutExtension()
            + (presetNames.isEmpty() ? juce::String (" (the bank is empty)")
                                     : "; closest: " + closest (presetNames, presetName).joinIntoString (", "));
    return {};
}
