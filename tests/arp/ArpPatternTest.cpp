#include "arp/ArpPattern.h"
#include "presets/PlistCodec.h"

#include <gtest/gtest.h>

namespace
{
struct StepCase
{
    int transpose, spare, mode;
    bool hold;
    int voices;
    bool glide;
};

void expectStep (const ArpStep& s, const StepCase& c, int position)
{
    EXPECT_EQ (s.transpose, c.transpose) << position;
    EXPECT_EQ (s.spare, c.spare) << position;
    EXPECT_EQ (s.mode, c.mode) << position;
    EXPECT_EQ (s.hold, c.hold) << position;
    EXPECT_EQ (s.voices, c.voices) << position;
    EXPECT_EQ (s.glide, c.glide) << position;
}

std::unique_ptr<juce::XmlElement> parse (const juce::String& dictBody)
{
    auto root = plistParseText ("<plist><dict>" + dictBody + "</dict></plist>");
    return std::make_unique<juce::XmlElement> (*root->getFirstChildElement());
}
} // namespace

TEST (ArpPattern, DefaultPatternHasTheEightFactorySteps)
{
    const StepCase expected[] = {
        { 0, 0, 2, false, 1, false }, { 0, 0, 5, false, 1, false }, { 0, 0, 1, true, 3, false },
        { 0, 0, 1, false, 1, false }, { 0, 0, 1, false, 2, false }, { 2, 0, 1, true, 3, false },
        { 2, 0, 1, false, 1, false }, { 3, 0, 1, false, 5, false },
    };
    ArpPattern pattern;
    ASSERT_EQ (pattern.getNumSteps(), 8);
    for (int i = 0; i < 8; ++i)
        expectStep (*pattern.getStep (i), expected[i], i);
    EXPECT_EQ (pattern.name, "Custom");
    EXPECT_EQ (pattern.timeDivision, 2);
    EXPECT_FALSE (pattern.sortFingers || pattern.skipFinger || pattern.continuous || pattern.random);
}

TEST (ArpPattern, DictionaryListsSettingsThenSteps)
{
    ArpPattern pattern;
    const auto d = pattern.toDictionary();
    const char* keys[] = { "sortFingers", "skipFinger", "continuous", "random", "timeDivision", "name", "steps" };
    auto items = plistGetItems ({}, d.get());
    ASSERT_EQ (items.size(), 14);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ (items[2 * i]->getAllSubText(), keys[i]);
    EXPECT_EQ (plistGetInteger ("timeDivision", 0, d.get()), 2);
    EXPECT_EQ (plistGetString ("name", {}, d.get()), "Custom");
    const auto steps = plistGetItems ("steps", d.get());
    ASSERT_EQ (steps.size(), 8);
    const char* stepKeys[] = { "a", "g", "h", "t", "tr", "v" };
    auto stepItems = plistGetItems ({}, steps[2]);
    ASSERT_EQ (stepItems.size(), 12);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ (stepItems[2 * i]->getAllSubText(), stepKeys[i]);
    EXPECT_TRUE (plistGetBool ("h", steps[2], false));
    EXPECT_EQ (plistGetInteger ("v", 0, steps[2]), 3);
}

TEST (ArpPattern, ReadingItsDictionaryRebuildsThePattern)
{
    ArpPattern source;
    source.name = "Mine";
    source.random = true;
    source.continuous = true;
    source.timeDivision = 4;
    source.getStep (0)->transpose = -12;
    source.getStep (1)->glide = true;
    source.insertBlankStep (8);

    ArpPattern copy;
    copy.readDictionary (source.toDictionary().get());
    EXPECT_TRUE (copy.sameAs (source));
}

TEST (ArpPattern, MissingTimeDivisionAndVoicesReadAsDefaults)
{
    ArpPattern pattern;
    pattern.readDictionary (parse ("<key>timeDivision</key><integer>0</integer>"
                                   "<key>steps</key><array><dict><key>a</key><integer>2</integer></dict></array>")
                                .get());
    EXPECT_EQ (pattern.timeDivision, 2);
    ASSERT_EQ (pattern.getNumSteps(), 1);
    EXPECT_EQ (pattern.getStep (0)->voices, 0);
    EXPECT_EQ (pattern.getStep (0)->mode, 2);
    EXPECT_EQ (pattern.name, "");

    pattern.readDictionary (parse ("<key>steps</key><array><dict/></array>").get());
    EXPECT_EQ (pattern.timeDivision, 2);
}

TEST (ArpPattern, AnEmptyStepListLeavesOneRestStep)
{
    ArpPattern pattern;
    pattern.readDictionary (parse ("<key>name</key><string>Empty</string><key>steps</key><array/>").get());
    ASSERT_EQ (pattern.getNumSteps(), 1);
    expectStep (*pattern.getStep (0), { 0, 0, 0, false, 1, false }, 0);
    EXPECT_EQ (pattern.name, "Empty");

    pattern.readDictionary (parse ("").get());
    EXPECT_EQ (pattern.getNumSteps(), 1);
}

TEST (ArpPattern, TheLastStepCannotBeRemoved)
{
    ArpPattern pattern;
    for (int i = 0; i < 10; ++i)
        pattern.removeStep (0);
    EXPECT_EQ (pattern.getNumSteps(), 1);
    pattern.removeStep (5);
    EXPECT_EQ (pattern.getNumSteps(), 1);
}

TEST (ArpPattern, CopiedStepPlaysLikeTheNearestSoundingStep)
{
    ArpPattern pattern;
    pattern.getStep (3)->glide = true;
    auto* inserted = pattern.insertCopiedStep (3);
    ASSERT_NE (inserted, nullptr);
    EXPECT_EQ (pattern.getNumSteps(), 9);
    EXPECT_EQ (pattern.getStep (3), inserted);
    expectStep (*inserted, { 0, 0, 1, false, 1, true }, 3);

    // Steps 0..2 rest: the copy of position 2 is a rest.
    for (int i = 0; i < 3; ++i)
        pattern.getStep (i)->mode = 0;
    expectStep (*pattern.insertCopiedStep (2), { 0, 0, 0, false, 1, false }, 2);

    pattern.getStep (0)->mode = 4;
    pattern.getStep (0)->voices = 2;
    pattern.getStep (0)->transpose = 5;
    pattern.getStep (0)->hold = true;
    expectStep (*pattern.insertCopiedStep (2), { 5, 0, 4, false, 2, false }, 2);
    EXPECT_EQ (pattern.insertCopiedStep (99), nullptr);
}

TEST (ArpPattern, BlankStepGoesBeforeThePosition)
{
    ArpPattern pattern;
    auto* end = pattern.insertBlankStep (8);
    EXPECT_EQ (pattern.getStep (8), end);
    expectStep (*end, { 0, 0, 0, false, 1, false }, 8);
    EXPECT_EQ (pattern.insertBlankStep (-1), nullptr);
}

TEST (ArpPattern, WildStoredValuesStayWithinReach)
{
    ArpPattern pattern;
    pattern.readDictionary (parse ("<key>steps</key><array><dict><key>tr</key><integer>99999999999</integer>"
                                   "<key>v</key><integer>-99999999999</integer></dict></array>")
                                .get());
    EXPECT_EQ (pattern.getStep (0)->transpose, 127);
    EXPECT_EQ (pattern.getStep (0)->voices, std::numeric_limits<int>::min());
}
