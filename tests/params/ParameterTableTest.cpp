#include "engine/VexmoorPatch.h"
#include "params/ParamIndex.h"

#include <gtest/gtest.h>

namespace
{
struct TextCase
{
    int index;
    float value;
    const char* text;
};

class ParameterTableTest : public ::testing::Test
{
protected:
    VexmoorPatch patch;
    KWParam& param (int i) { return patch.param (i); }
};
} // namespace

TEST_F (ParameterTableTest, NamesKeepTheirExactSpellingIncludingTrailingBlanks)
{
    const std::pair<int, const char*> names[] = {
        { 0, "Osc 1 width" },        { 23, "Osx 2 cents" },   { 44, "Flt1 type?" },
        { 43, "Mix invert?" },       { 57, "Amp" },           { 82, "Flt2 track " },
        { 83, "FX morph " },         { 84, "FLT stereo spread " },
        { 86, "Playback mode" },     { 22, "Delay Mix" },     { 79, "Reverb dry/wet" },
    };
    for (const auto& [index, name] : names)
        EXPECT_EQ (param (index).getName (128), juce::String (name)) << index;
    EXPECT_EQ ((int) patch.getParams().size(), 87);
}

TEST_F (ParameterTableTest, DisplayTextsAtChosenValues)
{
    const TextCase cases[] = {
        { ParamIndex::oscMix, 0.5f, "Osc MIX: 50/50 " },
        { ParamIndex::filter1Cutoff, 0.0f, "Filter 1 cutoff:32.00 Hz " },
        { ParamIndex::filter1Cutoff, 0.5f, "Filter 1 cutoff:797.86 Hz " },
        { ParamIndex::filter1Cutoff, 1.0f, "Filter 1 cutoff:19893.37 Hz " },
        { ParamIndex::oscNoise, 0.25f, "Osc/noise: 25/75" },
        { ParamIndex::osc2Semi, 0.0f, "Osc2 semi: -12 " },
        { ParamIndex::osc2Semi, 1.0f, "Osc2 semi: 12 " },
        { ParamIndex::pitchBendRange, 1.0f, "Pitch bend range: 12 semi" },
        { ParamIndex::pitchBendRange, 0.0f, "Pitch bend range: 1 semi" },
        { ParamIndex::multiDetune, 0.07f, "Multi detune: 07 %" },
        { ParamIndex::multiSpread, 0.5f, "Multi spread: 06 semi" },
        { ParamIndex::multiMix, 0.25f, "Side/o: 75/25" },
        { ParamIndex::osc1Width, 0.0f, "Osc 1 width: 0.00" },
        { ParamIndex::osc1Width, 0.25f, "Osc 1 width: 0.25" },
        { ParamIndex::filter1EnvAmount, 0.0f, "Filter 1 env amount: -1.00" },
        { ParamIndex::filter1EnvAmount, 0.5f, "Filter 1 env amount: 0.00" },
        { ParamIndex::playbackMode, 0.0f, "Poly" },
        { ParamIndex::playbackMode, 0.5f, "Solo" },
        { ParamIndex::playbackMode, 1.0f, "ARP" },
        { ParamIndex::osc2Octave, 0.49f, "0" },
        { ParamIndex::osc2Octave, 0.5f, "1" },
        { ParamIndex::osc2Octave, 0.99f, "1" },
        { ParamIndex::osc2Octave, 1.0f, "2" },
        { ParamIndex::flt1Type, 0.0f, "BYPASS" },
        { ParamIndex::lfo1Target, 1.0f, "LFO2 FREQ" },
        { ParamIndex::lfo2Target, 1.0f, "O/NOISE" },
        { ParamIndex::osc2Octave, 1.5f, "WRONG!" },
        { ParamIndex::osc2Octave, -0.5f, "WRONG!" },
    };
    for (const auto& c : cases)
        EXPECT_EQ (param (c.index).getText (c.value, 1024), juce::String (c.text)) << c.index << " at " << c.value;
}

TEST_F (ParameterTableTest, ChoiceParametersHaveTheirStepCounts)
{
    const std::pair<int, int> steps[] = { { 39, 3 }, { 41, 2 }, { 44, 17 }, { 46, 17 }, { 49, 18 }, { 50, 17 },
                                          { 51, 6 }, { 53, 3 },  { 58, 5 },  { 80, 4 },  { 85, 2 },  { 86, 3 },
                                          { 0, 0 },  { 57, 0 },  { 84, 0 } };
    for (const auto& [index, count] : steps)
        EXPECT_EQ (param (index).getNumSteps(), count) << index;
}

TEST_F (ParameterTableTest, DefaultsReachTheEngineSlots)
{
    EXPECT_NEAR (patch.slotA[ParamIndex::amp].load(), 0.501187f, 1e-6f);
    EXPECT_EQ (patch.slotInt[ParamIndex::osc1Type].load(), 1);
    EXPECT_EQ (patch.slotInt[ParamIndex::fxMorph].load(), 1);
    EXPECT_FLOAT_EQ (param (ParamIndex::osc1Type).getDefaultValue(), 0.33333334f);
    // Continuous parameters put the base integer form in the integer slots: -1 only at 1.0.
    EXPECT_EQ (patch.slotInt[ParamIndex::osc1MixPwm].load(), -1);
    EXPECT_EQ (patch.slotInt[ParamIndex::oscMix].load(), 0);
    for (int i = 0; i < ParamIndex::kNumParams; ++i)
    {
        EXPECT_EQ (param (i).getValue(), param (i).getDefaultValue()) << i;
        EXPECT_EQ (param (i).getValueB(), param (i).getDefaultValue()) << i;
    }
}

TEST_F (ParameterTableTest, EngineValuesAtTheEndsOfMappedRanges)
{
    struct Case
    {
        int index;
        float atZero, atDefault, atOne;
    };
    const Case cases[] = {
        { 11, 0.0f, 0.0f, 5.0f },         { 12, 0.0f, 0.0f, 5.0f },          { 14, 0.00018f, 0.00018f, 45.0f },
        { 18, 0.01f, 0.01f, 5.0f },       { 23, -1.0f, 0.0f, 1.0f },         { 35, 0.0f, 0.0f, 10.0f },
        { 40, -12.0f, 0.0f, 12.0f },      { 57, 0.031623f, 0.501187f, 3.162278f },
        { 62, 0.0f, 0.240253f, 1.0f },    { 66, 1.0f, 1.06f, 4.0f },         { 67, 1.0f, 1.09f, 4.0f },
        { 70, 0.0f, 0.0f, 0.01f },        { 71, 0.0f, 0.0f, 12.0f },
    };
    for (const auto& c : cases)
    {
        const auto& mapper = param (c.index).getMapper();
        EXPECT_NEAR (mapper.toEngine (0.0f), c.atZero, 1e-5f) << c.index;
        EXPECT_NEAR (mapper.toEngine (param (c.index).getDefaultValue()), c.atDefault, 1e-5f) << c.index;
        EXPECT_NEAR (mapper.toEngine (1.0f), c.atOne, 1e-4f) << c.index;
    }
}
