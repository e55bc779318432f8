#include "PresetTestSupport.h"

#include "presets/AppFolders.h"
#include "presets/KWBankManager.h"
#include "presets/PlistCodec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

ScopedTestFolders::ScopedTestFolders()
{
    static int counter = 0;
    root = juce::File::getSpecialLocation (juce::File::tempDirectory)
               .getChildFile ("quorvane-folders-" + juce::String (juce::Time::currentTimeMillis()) + "-"
                              + juce::String (juce::Random::getSystemRandom().nextInt()) + "-" + juce::String (++counter));
    perUser = root.getChildFile ("home/.Kestrelway");
    common = root.getChildFile ("var/.Kestrelway");
    perUser.createDirectory();
    common.createDirectory();
    setVendorFoldersForTesting (perUser, common);
}

ScopedTestFolders::~ScopedTestFolders()
{
    setVendorFoldersForTesting ({}, {});
    root.deleteRecursively();
}

void ScopedTestFolders::installFactoryArchive (const std::vector<std::pair<juce::String, juce::String>>& entries) const
{
    commonApp().createDirectory();
    juce::ZipFile::Builder builder;
    for (const auto& [path, content] : entries)
    {
        auto* stream = new juce::MemoryInputStream (content.toRawUTF8(), content.getNumBytesAsUTF8(), true);
        builder.addEntry (stream, 9, path, juce::Time::getCurrentTime());
    }
    juce::FileOutputStream out (commonApp().getChildFile ("quorvaneconfig.zip"));
    out.setPosition (0);
    out.truncate();
    builder.writeToStream (out, nullptr);
}

void TestClient::loadPreset (KWPreset* preset)
{
    ++loads;
    if (preset != nullptr)
        patch.applyPresetDictionary (preset->getDictionary());
    tellPresetLoaded (preset);
}

juce::File LogWatch::logFile()
{
    return juce::FileLogger::getSystemLogFileFolder().getChildFile ("quorvane").getChildFile ("console.txt");
}

LogWatch::LogWatch() : start (logFile().getSize()) {}

juce::String LogWatch::newText() const
{
    juce::MemoryBlock data;
    logFile().loadFileAsData (data);
    if ((juce::int64) data.getSize() <= start)
        return {};
    return juce::String::fromUTF8 (static_cast<const char*> (data.getData()) + start, (int) (data.getSize() - (size_t) start));
}

void makeDistinctSound (VexmoorPatch& patch, unsigned seed)
{
    std::mt19937 random (seed);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);
    for (int i = 0; i < ParamIndex::kNumParams; ++i)
    {
        auto& p = patch.param (i);
        if (p.getNumSteps() > 0)
        {
            std::uniform_int_distribution<int> choice (0, p.getNumSteps() - 1);
            p.setFromInt (choice (random));
            p.setValueB (p.getValue());
        }
        else
        {
            p.setValue (unit (random));
            p.setValueB (unit (random));
        }
    }
    patch.name = juce::String ("Sound ") + juce::String (seed) + " <&> \"caf" + juce::String::charToString (0xe9) + "\" ^`";
    patch.tagFlags.fill (false);
    patch.tagFlags[0] = true;
    patch.tagFlags[(size_t) (seed % 11)] = true;
    patch.chordNotes = { 4, 7, -5 };
    patch.isChord = (seed % 2) == 0;
    patch.initialMod = unit (random);
    patch.invertOsc = (seed % 3) == 0;
    patch.arpPattern.name = "Pattern " + std::to_string (seed);
    patch.arpPattern.timeDivision = 3;
    patch.arpPattern.random = true;
    patch.arpPattern.removeStep (0);
    patch.arpPattern.getStep (1)->transpose = -7;
    patch.arpPattern.getStep (2)->glide = true;
}

juce::File writeBankFile (const juce::File& file, const std::vector<juce::String>& presetNames)
{
    auto root = plistNewRoot();
    auto* list = plistAddArray ({}, root.get());
    VexmoorPatch patch;
    unsigned seed = 1;
    for (const auto& name : presetNames)
    {
        makeDistinctSound (patch, seed++);
        patch.name = name;
        list->addChildElement (patch.buildPresetDictionary().release());
    }
    file.getParentDirectory().createDirectory();
    juce::FileOutputStream out (file);
    out.setPosition (0);
    out.truncate();
    out.writeString (plistToText (*root, false));
    return file;
}
