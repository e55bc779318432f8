#include "PresetTestSupport.h"

#include "arp/ArpPattern.h"
#include "presets/KWBankManager.h"
#include "presets/PlistCodec.h"

#include <gtest/gtest.h>

namespace
{
class ArpLibraryTest : public ::testing::Test
{
protected:
    void SetUp() override { manager = std::make_unique<KWBankManager> (&client); }

    void save (const juce::String& name, int timeDivision = 2)
    {
        ArpPattern pattern;
        pattern.name = name.toStdString();
        pattern.timeDivision = timeDivision;
        manager->saveArpPattern (pattern);
    }

    juce::StringArray storedOrder()
    {
        juce::StringArray names;
        auto root = plistParseFile (manager->getArpLibraryFile());
        for (auto* item : plistGetItems ({}, root->getFirstChildElement()))
            names.add (plistGetString ("name", {}, item));
        return names;
    }

    ScopedTestFolders folders;
    TestClient client;
    std::unique_ptr<KWBankManager> manager;
};
} // namespace

TEST_F (ArpLibraryTest, FreshLibraryIsCreatedEmpty)
{
    EXPECT_TRUE (manager->listArpPatternNames().isEmpty());
    const auto file = folders.banks().getChildFile ("arps.hpr");
    EXPECT_EQ (manager->getArpLibraryFile(), file);
    juce::MemoryBlock data;
    file.loadFileAsData (data);
    EXPECT_EQ (data, KWBankManager::emptyBankDocument());
    EXPECT_EQ (manager->loadArpPattern ("Nothing"), nullptr);
}

TEST_F (ArpLibraryTest, SavingTwiceKeepsOneEntryAtTheEnd)
{
    save ("Custom", 1);
    save ("Other");
    save ("Custom", 3);
    EXPECT_EQ (storedOrder(), juce::StringArray ({ "Other", "Custom" }));
    auto d = manager->loadArpPattern ("Custom");
    ASSERT_NE (d, nullptr);
    EXPECT_EQ (plistGetInteger ("timeDivision", 0, d.get()), 3);

    // Written by the codec: multi-line, no zero byte.
    juce::MemoryBlock data;
    manager->getArpLibraryFile().loadFileAsData (data);
    EXPECT_NE (static_cast<const char*> (data.getData())[data.getSize() - 1], 0);
    EXPECT_TRUE (juce::String::fromUTF8 ((const char*) data.getData(), (int) data.getSize()).contains ("\r\n  <array>\r\n"));
}

TEST_F (ArpLibraryTest, NamesSortNaturallyIgnoringCase)
{
    for (auto* name : { "Arp 10", "arp 9", "Arp 9", "beta", "Alpha" })
        save (name);
    const auto names = manager->listArpPatternNames();
    ASSERT_EQ (names.size(), 5);
    EXPECT_EQ (names[0], "Alpha");
    EXPECT_TRUE (names[1].equalsIgnoreCase ("arp 9"));
    EXPECT_TRUE (names[2].equalsIgnoreCase ("arp 9"));
    EXPECT_EQ (names[3], "Arp 10");
    EXPECT_EQ (names[4], "beta");
}

TEST_F (ArpLibraryTest, DeletingTheOnlyEntryLeavesAnEmptyList)
{
    save ("Only");
    manager->deleteArpPattern ("Missing");
    EXPECT_EQ (manager->listArpPatternNames(), juce::StringArray ({ "Only" }));
    manager->deleteArpPattern ("Only");
    EXPECT_TRUE (manager->listArpPatternNames().isEmpty());
    auto root = plistParseFile (manager->getArpLibraryFile());
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getFirstChildElement()->getTagName(), "array");
}

TEST_F (ArpLibraryTest, DuplicateNamesReachTheFirstEntry)
{
    const auto file = manager->getArpLibraryFile();
    auto array = std::make_unique<juce::XmlElement> ("array");
    for (int division : { 1, 4 })
    {
        ArpPattern p;
        p.name = "Twin";
        p.timeDivision = division;
        array->addChildElement (p.toDictionary().release());
    }
    ASSERT_TRUE (plistWriteFile (file, *array));

    EXPECT_EQ (plistGetInteger ("timeDivision", 0, manager->loadArpPattern ("Twin").get()), 1);
    save ("Twin", 3);
    EXPECT_EQ (storedOrder(), juce::StringArray ({ "Twin", "Twin" }));
    EXPECT_EQ (plistGetInteger ("timeDivision", 0, manager->loadArpPattern ("Twin").get()), 4);
    manager->deleteArpPattern ("Twin");
    EXPECT_EQ (plistGetInteger ("timeDivision", 0, manager->loadArpPattern ("Twin").get()), 3);
}

TEST_F (ArpLibraryTest, UnreadableLibraryIsKeptAsideAndANewOneStarted)
{
    const auto file = manager->getArpLibraryFile();
    file.replaceWithText ("<plist><array><dict><key>name</key>"); // cut short
    LogWatch log;
    save ("After");
    EXPECT_EQ (manager->listArpPatternNames(), juce::StringArray ({ "After" }));
    const auto aside = file.getSiblingFile ("arps.hpr.unreadable-1");
    EXPECT_EQ (aside.loadFileAsString(), "<plist><array><dict><key>name</key>");
    EXPECT_TRUE (log.newText().contains ("arp library"));
}

TEST_F (ArpLibraryTest, StoredPatternLoadsBackIntoThePattern)
{
    ArpPattern pattern;
    pattern.name = "Wide";
    pattern.sortFingers = true;
    pattern.getStep (4)->transpose = 12;
    manager->saveArpPattern (pattern);

    ArpPattern loaded;
    loaded.readDictionary (manager->loadArpPattern ("Wide").get());
    EXPECT_TRUE (loaded.sameAs (pattern));
}
