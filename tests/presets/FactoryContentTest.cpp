// The factory archive the build makes, as a first start meets it.

#include "PresetTestSupport.h"

#include "presets/KWBankManager.h"
#include "presets/PlistCodec.h"

#include <gtest/gtest.h>

namespace
{
class FactoryContentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folders.commonApp().createDirectory();
        ASSERT_TRUE (juce::File (QUORVANE_FACTORY_ARCHIVE).copyFileTo (folders.commonApp().getChildFile ("quorvaneconfig.zip")));
        manager = std::make_unique<KWBankManager> (&client);
        manager->selectDefaultBank();
        client.addPresetListener (manager.get());
    }

    ScopedTestFolders folders;
    TestClient client;
    std::unique_ptr<KWBankManager> manager;
};
} // namespace

TEST_F (FactoryContentTest, FirstStartPlaysTheDefaultBanksFirstSound)
{
    EXPECT_TRUE (folders.banks().getChildFile ("quorvane 2.qvb").existsAsFile());
    ASSERT_NE (manager->getCurrentPreset(), nullptr);
    EXPECT_EQ (manager->getCurrentBankName(), "quorvane 2");
    EXPECT_EQ (manager->getCurrentPresetName(), manager->findBank ("Quorvane 2")->presets[0]->name);
    EXPECT_EQ (client.patch.name, manager->getCurrentPresetName());
    EXPECT_GE (manager->findBank ("Quorvane 2")->presets.size(), 6);
}

TEST_F (FactoryContentTest, ArpLibraryHoldsThePatterns)
{
    const auto names = manager->listArpPatternNames();
    EXPECT_GE (names.size(), 3);
    for (const auto& name : names)
    {
        ArpPattern pattern;
        pattern.readDictionary (manager->loadArpPattern (name).get());
        EXPECT_EQ (juce::String (pattern.name), name);
        EXPECT_GE (pattern.getNumSteps(), 1);
    }
}

TEST_F (FactoryContentTest, EveryFactorySoundSavesAsItIsStored)
{
    for (auto* preset : manager->findBank ("Quorvane 2")->presets)
    {
        VexmoorPatch patch;
        patch.applyPresetDictionary (preset->getDictionary());
        auto stored = std::make_unique<juce::XmlElement> (*preset->getDictionary());
        auto written = patch.buildPresetDictionary();
        plistAddBool ("fav", written.get(), preset->fav);
        EXPECT_EQ (plistToText (*written, true), plistToText (*stored, true)) << preset->name;
        EXPECT_TRUE (patch.modernLfoWaves);
    }
}
