#include "PresetTestSupport.h"

#include "presets/AppFolders.h"
#include "presets/KWBankManager.h"
#include "presets/PlistCodec.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace
{
struct RecordingListener : PresetListener
{
    void presetLoaded (KWPreset* p) override { loaded.add (p != nullptr ? p->getName() : "(null)"); }
    void bankRemoved (const juce::String& name) override { removedBanks.add (name); }
    void bankAdded (const juce::String& name) override { addedBanks.add (name); }
    juce::StringArray loaded, removedBanks, addedBanks;
};

class BankManagerTest : public ::testing::Test
{
protected:
    std::unique_ptr<KWBankManager> makeManager()
    {
        auto m = std::make_unique<KWBankManager> (&client);
        m->selectDefaultBank();
        client.addPresetListener (m.get());
        return m;
    }

    juce::File bankFile (const juce::String& name) const { return folders.banks().getChildFile (name); }

    juce::StringArray namesIn (KWBank* bank) const
    {
        juce::StringArray names;
        for (auto* p : bank->presets)
            names.add (p->name);
        return names;
    }

    /** A preset as the browser's save dialog makes it before adding it. */
    static KWPreset::Ptr newPreset (const juce::String& name)
    {
        KWPreset::Ptr p (new KWPreset());
        p->name = name;
        return p;
    }

    ScopedTestFolders folders;
    TestClient client;
};

/** Limits the size of files this process may write, as a full disk would. */
struct FileSizeLimit
{
    explicit FileSizeLimit (rlim_t bytes)
    {
        getrlimit (RLIMIT_FSIZE, &old);
        previous = std::signal (SIGXFSZ, SIG_IGN);
        rlimit limit = old;
        limit.rlim_cur = bytes;
        setrlimit (RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit (RLIMIT_FSIZE, &old);
        std::signal (SIGXFSZ, previous);
    }
    rlimit old {};
    void (*previous) (int) = nullptr;
};
} // namespace

TEST_F (BankManagerTest, DefaultBankGivesTheFirstSound)
{
    folders.banks().createDirectory();
    writeBankFile (bankFile ("quorvane 2.qvb"), { "Warm", "Cold" });
    writeBankFile (bankFile ("other.qvb"), { "X" });
    auto manager = makeManager();
    EXPECT_EQ (manager->getCurrentBankName(), "quorvane 2");
    EXPECT_EQ (manager->getCurrentPresetName(), "Warm");
    EXPECT_EQ (client.patch.name, "Warm");
    ASSERT_NE (manager->getCurrentPreset(), nullptr);
    EXPECT_EQ (manager->getCurrentPreset()->number, 1);
}

TEST_F (BankManagerTest, WithoutDefaultBankTheSoundStays)
{
    client.patch.name = "Mine";
    auto manager = makeManager();
    EXPECT_EQ (manager->getCurrentPreset(), nullptr);
    EXPECT_EQ (client.patch.name, "Mine");
    EXPECT_EQ (client.loads, 0);
    EXPECT_EQ (manager->getBanks().size(), 2);
    EXPECT_EQ (manager->getBank (-5)->name, "All");
    EXPECT_EQ (manager->getBank (99)->name, "Favourites");
}

TEST_F (BankManagerTest, SavedBankEndsWithZeroAndReloadsInOrder)
{
    auto manager = makeManager();
    ASSERT_TRUE (manager->createBank ("My Bank"));
    auto* bank = manager->findBank ("my bank");
    ASSERT_NE (bank, nullptr);
    EXPECT_EQ (bank->name, "my bank");
    EXPECT_TRUE (bankFile ("my bank.qvb").existsAsFile());

    for (auto* name : { "Zeta", "Alpha", "Mid" })
    {
        client.patch.name = "engine name";
        bank->addPreset (newPreset (name).get());
    }
    EXPECT_EQ (namesIn (bank), juce::StringArray ({ "Zeta", "Alpha", "Mid" }));

    juce::MemoryBlock data;
    bankFile ("my bank.qvb").loadFileAsData (data);
    ASSERT_GT (data.getSize(), 0u);
    EXPECT_EQ (static_cast<const char*> (data.getData())[data.getSize() - 1], 0);

    manager->reloadBanks();
    bank = manager->findBank ("My Bank");
    ASSERT_NE (bank, nullptr);
    EXPECT_EQ (namesIn (bank), juce::StringArray ({ "Zeta", "Alpha", "Mid" }));
    EXPECT_EQ (bank->presets[2]->number, 3);
    EXPECT_EQ (bank->presets[0]->getName(), "Zeta");
}

TEST_F (BankManagerTest, NewBankFileHoldsTheEmptyTemplate)
{
    auto manager = makeManager();
    ASSERT_TRUE (manager->createBank ("Empty"));
    juce::MemoryBlock data;
    bankFile ("empty.qvb").loadFileAsData (data);
    const juce::String expected = juce::String ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") + kPlistDoctype
                                  + "\n<plist version=\"1.0\">\n<array />\n</plist>";
    ASSERT_EQ (data.getSize(), (size_t) expected.length() + 1);
    EXPECT_EQ (juce::String::fromUTF8 (static_cast<const char*> (data.getData())), expected);
    EXPECT_FALSE (manager->createBank ("empty")); // taken
    EXPECT_FALSE (manager->createBank ("../escape"));
    EXPECT_FALSE (manager->createBank ("All"));
}

TEST_F (BankManagerTest, AllAndFavouritesListEveryFileBank)
{
    folders.banks().createDirectory();
    writeBankFile (bankFile ("b.qvb"), { "B1", "B2" });
    writeBankFile (bankFile ("a.qvb"), { "A1" });
    auto manager = makeManager();
    auto* all = manager->getAllBank();
    EXPECT_EQ (namesIn (all), juce::StringArray ({ "A1", "B1", "B2" }));

    auto* b2 = manager->findPreset ("b", "B2");
    ASSERT_NE (b2, nullptr);
    manager->favouriteChanged (b2, true);
    EXPECT_EQ (namesIn (manager->getFavouritesBank()), juce::StringArray ({ "B2" }));
    EXPECT_EQ (manager->getFavouritesBank()->presets[0].get(), b2);
    EXPECT_EQ (b2->number, 2);
    EXPECT_EQ (b2->bank, manager->findBank ("b"));

    manager->reloadBanks();
    EXPECT_TRUE (manager->findPreset ("b", "B2")->fav);
    EXPECT_FALSE (bankFile ("all.qvb").exists());
    EXPECT_FALSE (bankFile ("favourites.qvb").exists());
}

TEST_F (BankManagerTest, OverwriteKeepsPositionAndFavourite)
{
    folders.banks().createDirectory();
    writeBankFile (bankFile ("quorvane 2.qvb"), { "One", "Two", "Three" });
    auto manager = makeManager();
    auto* two = manager->findPreset ("quorvane 2", "Two");
    manager->favouriteChanged (two, true);

    makeDistinctSound (client.patch, 99);
    client.patch.name = "Engine";
    two->bank->listeners.getFirst()->presetOverwritten (two);

    manager->reloadBanks();
    auto* bank = manager->findBank ("quorvane 2");
    EXPECT_EQ (namesIn (bank), juce::StringArray ({ "One", "Two", "Three" }));
    auto* stored = manager->findPreset ("quorvane 2", "Two");
    EXPECT_TRUE (stored->fav);
    EXPECT_EQ (stored->number, 2);
    VexmoorPatch check;
    check.applyPresetDictionary (stored->getDictionary());
    EXPECT_EQ (check.name, "Two");
    EXPECT_EQ (check.chordNotes, client.patch.chordNotes);
}

TEST_F (BankManagerTest, RelativePresetStopsAtTheEnds)
{
    folders.banks().createDirectory();
    writeBankFile (bankFile ("quorvane 2.qvb"), { "One", "Two" });
    auto manager = makeManager();
    EXPECT_EQ (manager->getRelativePreset (-1)->name, "One");
    EXPECT_EQ (manager->getRelativePreset (1)->name, "Two");
    EXPECT_EQ (manager->getCurrentPresetName(), "Two");
    EXPECT_EQ (manager->getRelativePreset (1)->name, "Two");
}

TEST_F (BankManagerTest, RemovingFromAllRemovesFromItsOwnBank)
{
    folders.banks().createDirectory();
    writeBankFile (bankFile ("a.qvb"), { "A1", "A2" });
    auto manager = makeManager();
    auto* all = manager->getAllBank();
    all->removePreset (manager->findPreset ("All", "A1"));

    EXPECT_EQ (namesIn (manager->findBank ("a")), juce::StringArray ({ "A2" }));
    EXPECT_EQ (namesIn (all), juce::StringArray ({ "A2" }));
    EXPECT_EQ (manager->findPreset ("a", "A2")->number, 1);
    EXPECT_FALSE (bankFile ("all.qvb").exists());
    manager->reloadBanks();
    EXPECT_EQ (namesIn (manager->findBank ("a")), juce::StringArray ({ "A2" }));
}

TEST_F (BankManagerTest, SavingWhileAllIsListedStoresInTheCurrentBank)
{
    folders.banks().createDirectory();
    writeBankFile (bankFile ("quorvane 2.qvb"), { "One" });
    writeBankFile (bankFile ("z.qvb"), { "Z1" });
    auto manager = makeManager();
    manager->setCurrentBank ("All");

    client.patch.name = "engine";
    manager->getFavouritesBank()->addPreset (newPreset ("Fresh").get());

    EXPECT_EQ (namesIn (manager->findBank ("quorvane 2")), juce::StringArray ({ "One", "Fresh" }));
    EXPECT_EQ (namesIn (manager->getFavouritesBank()), juce::StringArray ({ "Fresh" }));
    EXPECT_FALSE (bankFile ("favourites.qvb").exists());
    manager->reloadBanks();
    EXPECT_TRUE (manager->findPreset ("quorvane 2", "Fresh")->fav);
    EXPECT_EQ (manager->findPreset ("quorvane 2", "Fresh")->number, 2);
}

TEST_F (BankManagerTest, SavingIntoAPseudoBankWithoutCurrentBankIsRefused)
{
    auto manager = makeManager();
    LogWatch log;
    manager->getAllBank()->addPreset (newPreset ("Lost").get());
    EXPECT_EQ (manager->getAllBank()->presets.size(), 0);
    EXPECT_TRUE (log.newText().contains ("preset Lost not stored"));
    EXPECT_FALSE (manager->saveBank (manager->getAllBank()));
    EXPECT_FALSE (manager->removeBank (manager->getAllBank()));
    EXPECT_EQ (folders.banks().getNumberOfChildFiles (juce::File::findFiles, "*.qvb"), 0);
}

TEST_F (BankManagerTest, UnreadableBankIsSkippedAndLeftAlone)
{
    folders.banks().createDirectory();
    const auto full = writeBankFile (bankFile ("quorvane 2.qvb"), { "One", "Two" });
    juce::MemoryBlock content;
    full.loadFileAsData (content);
    const auto truncated = bankFile ("cut.qvb");
    truncated.replaceWithData (content.getData(), content.getSize() / 2);
    bankFile ("junk.qvb").replaceWithText ("no xml here");
    bankFile ("rootonly.qvb").replaceWithText ("<plist/>");

    LogWatch log;
    auto manager = makeManager();
    EXPECT_EQ (manager->getBanks().size(), 3);
    EXPECT_EQ (manager->findBank ("cut"), nullptr);
    const auto text = log.newText();
    EXPECT_TRUE (text.contains ("cut.qvb cannot be read"));
    EXPECT_TRUE (text.contains ("junk.qvb cannot be read"));
    EXPECT_TRUE (text.contains ("rootonly.qvb cannot be read"));
    EXPECT_EQ (truncated.getSize(), (juce::int64) (content.getSize() / 2));
    EXPECT_EQ (bankFile ("junk.qvb").loadFileAsString(), "no xml here");

    // A new bank of that name keeps the unreadable file aside.
    ASSERT_TRUE (manager->createBank ("cut"));
    EXPECT_TRUE (bankFile ("cut.qvb.unreadable-1").existsAsFile());
    EXPECT_EQ (bankFile ("cut.qvb.unreadable-1").getSize(), (juce::int64) (content.getSize() / 2));
    EXPECT_NE (manager->findBank ("cut"), nullptr);
}

TEST_F (BankManagerTest, FailedWriteKeepsTheOldBankFile)
{
    folders.banks().createDirectory();
    writeBankFile (bankFile ("quorvane 2.qvb"), { "One" });
    auto manager = makeManager();
    juce::MemoryBlock before;
    bankFile ("quorvane 2.qvb").loadFileAsData (before);

    auto* bank = manager->findBank ("quorvane 2");
    {
        // Room for far less than a bank of two presets.
        FileSizeLimit limit (1000);
        bank->addPreset (newPreset ("Two").get());
        EXPECT_FALSE (manager->saveBank (bank));
    }
    juce::MemoryBlock after;
    bankFile ("quorvane 2.qvb").loadFileAsData (after);
    EXPECT_EQ (after, before);
    EXPECT_EQ (folders.banks().getNumberOfChildFiles (juce::File::findFiles | juce::File::ignoreHiddenFiles, "*"), 1);
    EXPECT_EQ (folders.banks().getNumberOfChildFiles (juce::File::findFiles, "*"), 1) << "no temporary left";

    EXPECT_TRUE (manager->saveBank (bank));
    manager->reloadBanks();
    EXPECT_EQ (namesIn (manager->findBank ("quorvane 2")), juce::StringArray ({ "One", "Two" }));
}

TEST_F (BankManagerTest, BankIsWrittenBackToTheFileItCameFrom)
{
    folders.banks().createDirectory();
    writeBankFile (bankFile ("My Sounds.qvb"), { "S1" });
    auto manager = makeManager();
    auto* bank = manager->findBank ("my sounds");
    ASSERT_NE (bank, nullptr);
    EXPECT_EQ (bank->name, "My Sounds");
    bank->addPreset (newPreset ("S2").get());
    EXPECT_FALSE (bankFile ("my sounds.qvb").exists());
    manager->reloadBanks();
    EXPECT_EQ (manager->getBanks().size(), 3);
    EXPECT_EQ (namesIn (manager->findBank ("My Sounds")), juce::StringArray ({ "S1", "S2" }));

    RecordingListener listener;
    manager->addListener (&listener);
    EXPECT_TRUE (manager->removeBank (manager->findBank ("My Sounds")));
    EXPECT_FALSE (bankFile ("My Sounds.qvb").exists());
    EXPECT_EQ (listener.removedBanks, juce::StringArray ({ "My Sounds" }));
    manager->removeListener (&listener);
}

TEST_F (BankManagerTest, ImportCopiesOnlyBankFiles)
{
    auto manager = makeManager();
    RecordingListener listener;
    manager->addListener (&listener);
    const auto source = writeBankFile (folders.root.getChildFile ("elsewhere/Gift.qvb"), { "G1" });
    manager->importBank (source);
    EXPECT_NE (manager->findPreset ("gift", "G1"), nullptr);
    EXPECT_EQ (listener.addedBanks, juce::StringArray ({ "Gift" }));

    const auto junk = folders.root.getChildFile ("elsewhere/junk.qvb");
    junk.replaceWithText ("junk");
    manager->importBank (junk);
    EXPECT_FALSE (bankFile ("junk.qvb").exists());
    manager->removeListener (&listener);
}

TEST_F (BankManagerTest, FilteredPresetsMatchTextAndEveryTag)
{
    KWBank bank ("b", false);
    for (const auto& [name, tags] : std::initializer_list<std::pair<const char*, const char*>> {
             { "Warm Pad", "3,8" }, { "Cold pad", "3" }, { "Bass", "2,8" } })
    {
        auto d = plistNewDict();
        plistAddString ("name", name, d.get());
        plistAddString ("tags", tags, d.get());
        KWPreset::Ptr p (new KWPreset());
        p->setDictionary (d.get());
        bank.addPreset (p.get());
    }
    const auto names = [] (const juce::Array<KWPreset*>& list) {
        juce::StringArray n;
        for (auto* p : list)
            n.add (p->name);
        return n;
    };
    EXPECT_EQ (names (bank.getFilteredPresets ({}, "PAD")), juce::StringArray ({ "Warm Pad", "Cold pad" }));
    EXPECT_EQ (names (bank.getFilteredPresets ({ 3, 8 }, {})), juce::StringArray ({ "Warm Pad" }));
    EXPECT_EQ (names (bank.getFilteredPresets ({ 8 }, "a")), juce::StringArray ({ "Warm Pad", "Bass" }));
    bank.searchText = "bass";
    EXPECT_EQ (bank.getFilteredPreset (0)->name, "Bass");
    EXPECT_EQ (bank.getFilteredPreset (1), nullptr);
    EXPECT_EQ (bank.presets[1]->getLabel(), "2 Cold pad");
    EXPECT_FALSE (bank.addPreset (bank.presets[0]));
}
