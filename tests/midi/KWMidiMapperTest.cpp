#include "EngineFixture.h"
#include "midi/KWMidiMapper.h"
#include "presets/AppFolders.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Recorder : KWMidiListener
{
    std::vector<std::pair<int, int>> changes;
    void mappingChanged (int controller, int paramIndex) override { changes.emplace_back (controller, paramIndex); }
};

/** The mapper is process-wide: every test starts it from no bindings and no file. */
class KWMidiMapperTest : public EngineFixture
{
protected:
    KWMidiMapper& mapper = KWMidiMapper::getInstance();
    Recorder recorder;

    void SetUp() override
    {
        mapper.learning = false;
        mapper.learnTarget = -1;
        for (int p = 0; p < ParamIndex::kNumParams; ++p)
            mapper.assign (-1, p);
        KWMidiMapper::mapFile().deleteFile();
        mapper.addListener (&recorder);
    }

    void TearDown() override
    {
        mapper.removeListener (&recorder);
        mapper.learning = false;
    }

    void learnController (int number, int target)
    {
        mapper.learning = true;
        mapper.learnTarget = target;
        controller (number, 64);
        render (32);
        mapper.learning = false;
    }
};
} // namespace

TEST_F (KWMidiMapperTest, RebindingAControllerTellsTheOldParameterFirst)
{
    learnController (74, ParamIndex::filter1Cutoff);
    recorder.changes.clear();
    learnController (74, ParamIndex::filter2Cutoff);
    EXPECT_EQ (recorder.changes, (std::vector<std::pair<int, int>> { { -1, 6 }, { 74, 27 } }));
    EXPECT_EQ (mapper.parameterFor (74), 27);
    EXPECT_EQ (mapper.controllerFor (6), -1);
}

TEST_F (KWMidiMapperTest, AParameterKeepsOnlyItsLatestController)
{
    mapper.assign (74, ParamIndex::filter1Cutoff);
    mapper.assign (75, ParamIndex::filter1Cutoff);
    EXPECT_EQ (mapper.parameterFor (74), -1);
    ASSERT_TRUE (mapper.save());
    const auto text = KWMidiMapper::mapFile().loadFileAsString();
    EXPECT_TRUE (text.contains ("<key>6</key>")) << text;
    EXPECT_TRUE (text.contains ("<string>75</string>"));
    EXPECT_FALSE (text.contains ("74"));
}

TEST_F (KWMidiMapperTest, ControllerValuesDriveGroupAOfTheBoundParameter)
{
    mapper.assign (74, ParamIndex::filter1Cutoff);
    mapper.assign (75, ParamIndex::osc2Sync);
    controller (74, 127);
    controller (75, 63);
    render (32);
    EXPECT_EQ (param (ParamIndex::filter1Cutoff).getValue(), 0.9921875f);
    EXPECT_EQ (param (ParamIndex::filter1Cutoff).getValueB(), 0.5f);
    EXPECT_EQ (param (ParamIndex::osc2Sync).getText (param (ParamIndex::osc2Sync).getValue(), 8), "Off");
    controller (75, 64);
    render (32);
    EXPECT_EQ (param (ParamIndex::osc2Sync).getText (param (ParamIndex::osc2Sync).getValue(), 8), "On");
}

TEST_F (KWMidiMapperTest, WheelAndPedalAreNeverLearnt)
{
    mapper.learning = true;
    mapper.learnTarget = ParamIndex::filter1Cutoff;
    controller (1, 100);
    controller (64, 127);
    render (32);
    EXPECT_EQ (mapper.controllerFor (ParamIndex::filter1Cutoff), -1);
    EXPECT_TRUE (engine.isHold());

    // Without a target, learning changes nothing.
    mapper.learnTarget = -1;
    controller (20, 5);
    render (32);
    EXPECT_EQ (mapper.parameterFor (20), -1);
    EXPECT_TRUE (recorder.changes.empty());
}

TEST_F (KWMidiMapperTest, MapFileRoundTripsAndAnUnreadableOneIsReplaced)
{
    mapper.assign (21, ParamIndex::lfo1Amount);
    mapper.assign (22, ParamIndex::playbackMode);
    ASSERT_TRUE (mapper.save());
    mapper.assign (-1, ParamIndex::lfo1Amount);
    mapper.load();
    EXPECT_EQ (mapper.parameterFor (21), ParamIndex::lfo1Amount);
    EXPECT_EQ (mapper.parameterFor (22), ParamIndex::playbackMode);

    ASSERT_TRUE (KWMidiMapper::mapFile().replaceWithText ("this is not XML"));
    mapper.load();
    EXPECT_EQ (mapper.parameterFor (21), -1);
    EXPECT_EQ (mapper.parameterFor (22), -1);
    mapper.assign (23, ParamIndex::amp);
    ASSERT_TRUE (mapper.save());
    mapper.load();
    EXPECT_EQ (mapper.parameterFor (23), ParamIndex::amp);
}

TEST_F (KWMidiMapperTest, FileEntriesOutsideTheTablesAreSkipped)
{
    ASSERT_TRUE (KWMidiMapper::mapFile().getParentDirectory().createDirectory());
    ASSERT_TRUE (KWMidiMapper::mapFile().replaceWithText (
        "<plist><dict><key>6</key><string>74</string><key>90</key><string>3</string>"
        "<key>7</key><string>300</string><key>8</key><string>-1</string><key>9</key></dict></plist>"));
    mapper.load();
    EXPECT_EQ (mapper.parameterFor (74), 6);
    EXPECT_EQ (mapper.parameterFor (3), -1);
    EXPECT_EQ (mapper.controllerFor (7), -1);
    EXPECT_EQ (mapper.controllerFor (8), -1);
}
