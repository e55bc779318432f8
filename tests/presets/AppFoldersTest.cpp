#include "PresetTestSupport.h"

#include "presets/AppFolders.h"
#include "presets/AppLog.h"

#include <gtest/gtest.h>

TEST (AppFolders, FirstStartCreatesAndSeedsThePerUserFolder)
{
    ScopedTestFolders folders;
    folders.installFactoryArchive ({ { "Banks/quorvane 2.qvb", "bank" }, { "midimapper.mrb", "map" } });

    LogWatch log;
    const auto banks = getBanksFolder();
    EXPECT_EQ (banks, folders.banks());
    EXPECT_TRUE (banks.isDirectory());
    EXPECT_EQ (banks.getChildFile ("quorvane 2.qvb").loadFileAsString(), "bank");
    EXPECT_EQ (folders.perUserApp().getChildFile ("midimapper.mrb").loadFileAsString(), "map");

    const auto app = folders.perUserApp().getFullPathName();
    const auto common = folders.commonApp().getFullPathName();
    const auto text = log.newText();
    const juce::String messages[] = {
        "Quorvane local app folder does not exist. Creating at " + app + " ...",
        "common app dir for Quorvane is: " + common,
        "trying unzip file: " + common + "/quorvaneconfig.zip to " + app,
    };
    int position = 0;
    for (const auto& m : messages)
    {
        const int found = text.indexOf (position, m + juce::NewLine::getDefault());
        EXPECT_GE (found, 0) << m << "\nin:\n" << text;
        position = juce::jmax (position, found);
    }
}

TEST (AppFolders, SecondStartLogsNothing)
{
    ScopedTestFolders folders;
    getAppFolder (false);
    LogWatch log;
    EXPECT_TRUE (getAppFolder (false).isDirectory());
    getBanksFolder();
    EXPECT_FALSE (log.newText().contains ("does not exist"));
}

TEST (AppFolders, WithoutFactoryArchiveOnlyBanksIsCreated)
{
    ScopedTestFolders folders;
    const auto banks = getBanksFolder();
    EXPECT_TRUE (banks.isDirectory());
    EXPECT_EQ (banks.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
    EXPECT_EQ (folders.perUserApp().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);
}

TEST (AppFolders, ResourceFilesLiveUnderTheCommonFolder)
{
    ScopedTestFolders folders;
    EXPECT_EQ (getResourceFile ("panels/arrow.png"),
               folders.commonApp().getChildFile ("resources").getChildFile ("panels").getChildFile ("arrow.png"));
}

TEST (AppFolders, SystemFoldersAreUnderTheVendorName)
{
    // Without the test folders: ~/.Kestrelway/Quorvane for the user.
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    const auto expected = home.getChildFile (".Kestrelway/Quorvane");
    const bool existed = expected.isDirectory();
    EXPECT_EQ (getAppFolder (false), expected);
    if (! existed)
        home.getChildFile (".Kestrelway").deleteRecursively();
}

TEST (AppLog, LongMessagesAreCutTo19999Bytes)
{
    LogWatch log;
    const std::string longText (25000, 'x');
    logMessage ("%s", longText.c_str());
    const auto text = log.newText();
    EXPECT_TRUE (text.contains (juce::String (std::string (19999, 'x')) + juce::NewLine::getDefault()));
    EXPECT_FALSE (text.contains (juce::String (std::string (20000, 'x'))));
}
