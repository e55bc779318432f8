#include "PresetTestSupport.h"

#include "presets/KWBankManager.h"
#include "presets/PlistCodec.h"

#include <gtest/gtest.h>

namespace
{
class StateChunkTest : public ::testing::Test
{
protected:
    struct Instance
    {
        TestClient client;
        std::unique_ptr<KWBankManager> manager;

        Instance()
        {
            manager = std::make_unique<KWBankManager> (&client);
            manager->selectDefaultBank();
            client.addPresetListener (manager.get());
        }

        juce::MemoryBlock state()
        {
            juce::MemoryBlock block ("old content that must go", 24);
            manager->getStateChunk (block, client.createPresetDictionary());
            return block;
        }

        void restore (const juce::MemoryBlock& block) { manager->setStateChunk (block.getData(), (int) block.getSize()); }
    };

    static juce::String asText (const juce::MemoryBlock& block)
    {
        return juce::String::fromUTF8 (static_cast<const char*> (block.getData()), (int) block.getSize());
    }

    ScopedTestFolders folders;
};
} // namespace

TEST_F (StateChunkTest, FreshInstanceChunkEndsWithAnEmptyBankName)
{
    Instance instance;
    const auto block = instance.state();
    ASSERT_GT (block.getSize(), 2u);
    const char* bytes = static_cast<const char*> (block.getData());
    EXPECT_EQ (bytes[block.getSize() - 1], 0);
    const auto text = juce::String::fromUTF8 (bytes);
    EXPECT_EQ ((size_t) text.getNumBytesAsUTF8() + 1, block.getSize());
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?> <!DOCTYPE plist PUBLIC"));
    EXPECT_TRUE (text.endsWith ("<key>appVersion</key><real>3</real><key>bankName</key><string></string></dict></plist>"))
        << text.getLastCharacters (200);
    EXPECT_FALSE (text.containsAnyOf ("\r\n"));
    EXPECT_FALSE (text.contains ("<key>fav</key>"));
}

TEST_F (StateChunkTest, RestoringIntoANewInstanceGivesTheSameSoundAndChunk)
{
    folders.banks().createDirectory();
    writeBankFile (folders.banks().getChildFile ("quorvane 2.qvb"), { "First", "Second" });

    Instance first;
    makeDistinctSound (first.client.patch, 11);
    first.client.patch.name = "Second";
    const auto chunk = first.state();
    EXPECT_TRUE (asText (chunk).contains ("<key>bankName</key><string>quorvane 2</string>"));

    Instance second;
    second.restore (chunk);
    EXPECT_EQ (second.state(), chunk);
    EXPECT_EQ (second.manager->getCurrentBankName(), "quorvane 2");
    EXPECT_EQ (second.manager->getCurrentPresetName(), "Second");
    EXPECT_EQ (second.client.patch.name, "Second");
    EXPECT_EQ (second.client.patch.chordNotes, first.client.patch.chordNotes);
    EXPECT_EQ (second.client.patch.tagFlags, first.client.patch.tagFlags);
    EXPECT_TRUE (second.client.patch.arpPattern.sameAs (first.client.patch.arpPattern));

    // Once restored, the state is a fixed point, however often it goes round.
    second.restore (second.state());
    second.restore (chunk);
    EXPECT_EQ (second.state(), chunk);
    Instance third;
    third.restore (chunk);
    for (int i = 0; i < ParamIndex::kNumParams; ++i)
    {
        EXPECT_EQ (third.client.patch.param (i).getValue(), second.client.patch.param (i).getValue()) << i;
        if (i < ParamIndex::kNumMorphStored)
        {
            EXPECT_EQ (third.client.patch.param (i).getValueB(), second.client.patch.param (i).getValueB()) << i;
        }
    }
}

TEST_F (StateChunkTest, ChunkWithoutTrailingZeroRestoresTheSame)
{
    Instance first;
    makeDistinctSound (first.client.patch, 5);
    const auto chunk = first.state();
    Instance second;
    second.manager->setStateChunk (chunk.getData(), (int) chunk.getSize() - 1);
    EXPECT_EQ (second.state(), chunk);
}

TEST_F (StateChunkTest, UnknownBankClearsTheCurrentBankButRestoresTheSound)
{
    Instance first;
    makeDistinctSound (first.client.patch, 6);
    auto text = asText (first.state()).replace ("<key>bankName</key><string></string>",
                                                "<key>bankName</key><string>Gone</string>");
    Instance second;
    const auto block = KWBankManager::withTrailingZero (text);
    second.restore (block);
    EXPECT_EQ (second.manager->getCurrentBankName(), "");
    EXPECT_EQ (second.client.patch.name, first.client.patch.name);
}

TEST_F (StateChunkTest, UnreadableChunksChangeNothing)
{
    Instance instance;
    makeDistinctSound (instance.client.patch, 8);
    const auto good = instance.state();
    const auto goodText = asText (good);

    Instance other;
    makeDistinctSound (other.client.patch, 9);
    const auto before = other.state();
    const auto bankBefore = other.manager->getCurrentBankName();
    const auto presetBefore = other.manager->getCurrentPresetName();

    const juce::String broken[] = {
        goodText.substring (0, goodText.length() / 2),
        goodText.substring (0, goodText.indexOf ("</dict>")),
        "<?xml version=\"1.0\"?><plist/>",
        "<?xml version=\"1.0\"?><plist>text only</plist>",
        "garbage",
    };
    for (const auto& text : broken)
    {
        LogWatch log;
        other.restore (KWBankManager::withTrailingZero (text));
        EXPECT_TRUE (log.newText().contains ("cannot be read")) << text.substring (0, 60);
        EXPECT_EQ (other.state(), before);
        EXPECT_EQ (other.manager->getCurrentBankName(), bankBefore);
        EXPECT_EQ (other.manager->getCurrentPresetName(), presetBefore);
    }
    const unsigned char raw[] = { 0xff, 0xfe, 0x00, 0x01, 0x3c, 0x80 };
    other.manager->setStateChunk (raw, (int) sizeof (raw));
    EXPECT_EQ (other.state(), before);
    other.manager->setStateChunk (nullptr, 10);
    other.manager->setStateChunk (good.getData(), 0);
    EXPECT_EQ (other.state(), before);
    EXPECT_EQ (other.client.loads, 0);
}

TEST_F (StateChunkTest, ChunkThatIsNoPresetStillSetsTheNames)
{
    Instance instance;
    makeDistinctSound (instance.client.patch, 4);
    const auto before = instance.client.createPresetDictionary();
    instance.restore (KWBankManager::withTrailingZero (
        "<plist><dict><key>name</key><string>Odd</string><key>bankName</key><string></string></dict></plist>"));
    EXPECT_EQ (instance.manager->getCurrentPresetName(), "Odd");
    EXPECT_TRUE (instance.client.createPresetDictionary()->isEquivalentTo (before.get(), false));
}
