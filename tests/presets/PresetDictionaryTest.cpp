#include "PresetTestSupport.h"

#include "presets/PlistCodec.h"
#include "presets/PresetDictionary.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ParamIndex;

namespace
{
juce::String textOf (const VexmoorPatch& patch)
{
    auto root = plistNewRoot();
    plistAddElement ({}, root.get(), patch.buildPresetDictionary());
    return plistToText (*root, true);
}

std::unique_ptr<juce::XmlElement> dictFrom (const juce::String& body)
{
    auto root = plistParseText ("<plist><dict>" + body + "</dict></plist>");
    return std::make_unique<juce::XmlElement> (*root->getFirstChildElement());
}

/** A dict written by this version with one key's value replaced. */
std::unique_ptr<juce::XmlElement> withValue (const VexmoorPatch& patch, const char* key, const juce::String& valueXml)
{
    auto d = patch.buildPresetDictionary();
    auto* old = plistFindValue (key, d.get());
    d->replaceChildElement (old, juce::XmlDocument::parse (valueXml).release());
    return d;
}

std::unique_ptr<juce::XmlElement> without (std::unique_ptr<juce::XmlElement> d, const char* key)
{
    for (auto* child = d->getFirstChildElement(); child != nullptr; child = child->getNextElement())
    {
        if (child->getTagName() == "key" && child->getAllSubText() == key)
        {
            d->removeChildElement (child->getNextElement(), true);
            d->removeChildElement (child, true);
            break;
        }
    }
    return d;
}

float engineB (const KWParam& p) { return p.getMapper().toEngine (p.getValueB()); }
} // namespace

TEST (PresetDictionary, WritesTheFiftyNineKeysInOrder)
{
    const char* keys[] = {
        "revPredelay", "revSize", "revDry", "revHCut", "revLCut", "revHDamp", "revOn", "osc1Multi", "osc2Multi",
        "multiSpread", "multiDetune", "multiMix", "filterEnvType", "fltTrackingAmount", "fltTrackingAmount2",
        "initialMod", "morphFx", "osc1Type", "osc2Type", "osc2Octave", "osc2Semi", "osc1pmw", "osc2pmw",
        "filterType", "lfoType", "lfoTarget", "lfoSync", "lfoTriggerType", "lfo2Type", "lfo2Target", "lfo2Sync",
        "lfo2TriggerType", "filterDbType", "amp", "filter2Type", "filterSerial", "isChord", "fxDelaySync",
        "fxDelayCross", "fxDelayTapL", "fxDelayTapR", "invertOsc", "fss", "midiVelToVolume", "midiVelToFlt1",
        "midiVelToFlt2", "name", "arp", "playMode", "pitchRange", "glideTime", "oscSync", "osc2flt2", "fx1Type",
        "paramsA", "paramsB", "tags", "chord", "appVersion",
    };
    VexmoorPatch patch;
    const auto d = patch.buildPresetDictionary();
    const auto items = plistGetItems ({}, d.get());
    ASSERT_EQ (items.size(), 2 * 59);
    for (int i = 0; i < 59; ++i)
        EXPECT_EQ (items[2 * i]->getAllSubText(), keys[i]) << i;
    EXPECT_EQ (items[2 * 47 + 1]->getTagName(), "dict");
    EXPECT_EQ (plistGetReal ("appVersion", d.get(), 0.0f), 3.0f);
    EXPECT_TRUE (plistToText (*d, true).contains ("<key>appVersion</key><real>3</real>"));
}

TEST (PresetDictionary, ListsAreFormattedAsTheyAreStored)
{
    VexmoorPatch patch;
    patch.initPatch();
    patch.param (osc1Width).setValue (0.25f);
    patch.param (osc1Width).setValueB (0.75f);
    patch.tagFlags[0] = true;
    patch.tagFlags[6] = true;
    patch.chordNotes = { 4, 7 };
    const auto d = patch.buildPresetDictionary();

    const auto listA = plistGetString ("paramsA", {}, d.get());
    EXPECT_TRUE (listA.startsWith ("0.250000,0.000000,1.000000,1.000000,0.500000,")) << listA;
    EXPECT_FALSE (listA.endsWith (","));
    EXPECT_EQ (juce::StringArray::fromTokens (listA, ",", {}).size(), 39);
    EXPECT_TRUE (plistGetString ("paramsB", {}, d.get()).startsWith ("0.750000,"));
    EXPECT_EQ (plistGetString ("tags", "x", d.get()), "0,6");
    EXPECT_EQ (plistGetString ("chord", "x", d.get()), "4,7");
    EXPECT_EQ (plistGetInteger ("pitchRange", 0, d.get()), 12);

    patch.tagFlags.fill (false);
    patch.chordNotes.clear();
    const auto empty = patch.buildPresetDictionary();
    EXPECT_EQ (plistGetString ("tags", "x", empty.get()), "");
    EXPECT_EQ (plistGetString ("chord", "x", empty.get()), "");
}

TEST (PresetDictionary, ApplyingRestoresTheWholeSound)
{
    VexmoorPatch source;
    makeDistinctSound (source, 7);
    source.param (fxLeftTaps).setFromEngine (1.06f);
    source.param (fxRightTaps).setFromEngine (2.5f);

    VexmoorPatch target;
    target.applyPresetDictionary (source.buildPresetDictionary().get());

    for (int i = 0; i < kNumParams; ++i)
    {
        if (i == mixInvert)
            continue; // no key carries it
        const auto& a = source.param (i);
        const auto& b = target.param (i);
        if (a.getNumSteps() > 0 || i == osc2Semi)
        {
            EXPECT_EQ (b.getInt(), a.getInt()) << i;
        }
        else if (i == pitchBendRange)
        {
            EXPECT_EQ ((int) (b.getValue() * 11.0 + 1.0), (int) (a.getValue() * 11.0 + 1.0));
        }
        else
        {
            EXPECT_NEAR (b.getEngineValue(), a.getEngineValue(), 5e-6f * std::max (1.0f, std::abs (a.getEngineValue())))
                << i;
        }
        if (i < kNumMorphStored)
        {
            EXPECT_NEAR (engineB (b), engineB (a), 5e-6f * std::max (1.0f, std::abs (engineB (a)))) << i;
        }
    }
    EXPECT_EQ (target.name, source.name);
    EXPECT_EQ (target.tagFlags, source.tagFlags);
    EXPECT_EQ (target.chordNotes, source.chordNotes);
    EXPECT_EQ (target.isChord, source.isChord);
    EXPECT_EQ (target.invertOsc, source.invertOsc);
    EXPECT_NEAR (target.initialMod.load(), source.initialMod.load(), 1e-6f);
    EXPECT_TRUE (target.arpPattern.sameAs (source.arpPattern));
    EXPECT_TRUE (target.modernLfoWaves);
}

TEST (PresetDictionary, SaveReloadSaveGivesTheSameText)
{
    for (unsigned seed = 1; seed <= 200; ++seed)
    {
        VexmoorPatch source;
        makeDistinctSound (source, seed);
        const auto first = textOf (source);
        VexmoorPatch reloaded;
        reloaded.applyPresetDictionary (source.buildPresetDictionary().get());
        ASSERT_EQ (textOf (reloaded), first) << "seed " << seed;
    }
}

TEST (PresetDictionary, PitchRangeKeepsItsSemitones)
{
    for (int n = 1; n <= 12; ++n)
    {
        VexmoorPatch patch;
        patch.applyPresetDictionary (withValue (patch, "pitchRange", "<integer>" + juce::String (n) + "</integer>").get());
        const float v = patch.param (pitchBendRange).getValue();
        EXPECT_EQ ((int) ((double) v * 11.0 + 1.0), n) << "stored text";
        EXPECT_EQ ((int) (v * 11.0f + 1.0f), n) << "played range";
        EXPECT_EQ (patch.param (pitchBendRange).getText (v, 100), "Pitch bend range: " + juce::String (n) + " semi");
        EXPECT_EQ (plistGetInteger ("pitchRange", 0, patch.buildPresetDictionary().get()), n);
    }
}

TEST (PresetDictionary, DefaultsOfMissingOrOldValues)
{
    VexmoorPatch patch;
    patch.param (fxMorph).setFromBool (false);
    patch.applyPresetDictionary (without (withValue (patch, "osc2Type", "<integer>7</integer>"), "morphFx").get());
    EXPECT_EQ (patch.param (osc2Type).getInt(), 0);
    EXPECT_TRUE (patch.param (fxMorph).getBool());

    patch.applyPresetDictionary (without (patch.buildPresetDictionary(), "pitchRange").get());
    EXPECT_FLOAT_EQ (patch.param (pitchBendRange).getValue(), 1.0f / 11.0f);
    EXPECT_EQ ((int) (patch.param (pitchBendRange).getValue() * 11.0 + 1.0), 2);
}

TEST (PresetDictionary, ChordModeFollowsTheChordWhenNotStored)
{
    VexmoorPatch patch;
    patch.chordNotes = { 4, 7 };
    patch.isChord = false;
    patch.applyPresetDictionary (without (patch.buildPresetDictionary(), "isChord").get());
    EXPECT_TRUE (patch.isChord);
    EXPECT_EQ (patch.chordNotes, (std::vector<int> { 4, 7 }));

    patch.chordNotes.clear();
    patch.isChord = true;
    patch.applyPresetDictionary (without (patch.buildPresetDictionary(), "isChord").get());
    EXPECT_FALSE (patch.isChord);
}

TEST (PresetDictionary, NotAPresetChangesNothing)
{
    VexmoorPatch patch;
    makeDistinctSound (patch, 3);
    const auto before = textOf (patch);
    patch.applyPresetDictionary (nullptr);
    patch.applyPresetDictionary (without (patch.buildPresetDictionary(), "osc1Type").get());
    patch.applyPresetDictionary (withValue (patch, "osc1Type", "<integer>-1</integer>").get());
    EXPECT_EQ (textOf (patch), before);
}

TEST (PresetDictionary, VersionThreeTriggersNoUpgrade)
{
    VexmoorPatch patch;
    patch.param (lfo1Wave).setFromInt (3);
    patch.param (reverbOn).setFromBool (true);
    patch.param (reverbSize).setFromEngine (0.9f);
    patch.applyPresetDictionary (patch.buildPresetDictionary().get());
    EXPECT_TRUE (patch.modernLfoWaves);
    EXPECT_TRUE (patch.param (reverbOn).getBool());
    EXPECT_FLOAT_EQ (patch.param (reverbSize).getEngineValue(), 0.9f);
}

TEST (PresetDictionary, WithoutVersionEveryUpgradeRuns)
{
    VexmoorPatch source;
    source.param (osc1Type).setFromInt (3);
    source.param (osc2Type).setFromInt (1);
    source.param (osc1Width).setValue (0.7f);
    source.param (osc2Width).setValue (0.7f);
    source.param (lfo1Phase).setValue (0.4f);
    source.param (lfo1FadeIn).setValue (0.4f);
    source.param (flt1Type).setFromInt (1);
    source.param (filter1Resonance).setValue (0.85f);
    source.param (osc1MixPwm).setValue (0.2f);
    source.param (reverbOn).setFromBool (true);
    source.param (lfo1Wave).setFromInt (3);
    source.param (fxType).setFromInt (3);            // old equaliser
    source.param (effectControl1).setValue (0.2f);
    source.param (effectControl2).setValue (0.8f);
    source.param (flt1Track).setFromBool (true);
    source.param (fltRouting).setFromInt (0);
    source.param (osc2Flt2).setFromBool (true);
    source.param (oscMix).setValue (0.5f);

    VexmoorPatch patch;
    patch.applyPresetDictionary (without (source.buildPresetDictionary(), "appVersion").get());

    EXPECT_EQ (patch.param (osc1Width).getEngineValue(), 0.0f);
    EXPECT_EQ (patch.param (osc2Width).getEngineValue(), 0.0f);
    EXPECT_EQ (patch.param (lfo1Phase).getEngineValue(), 0.0f);
    EXPECT_EQ (patch.param (lfo1FadeIn).getEngineValue(), 0.0f);
    EXPECT_FLOAT_EQ (patch.param (filter1Resonance).getEngineValue(), (float) ((0.85f - 0.35) * 1.5384));
    EXPECT_EQ (patch.param (osc1MixPwm).getEngineValue(), 1.0f);
    EXPECT_FALSE (patch.param (reverbOn).getBool());
    EXPECT_FLOAT_EQ (patch.param (multiDetune).getEngineValue(), 0.0003f);
    EXPECT_FLOAT_EQ (patch.param (multiMix).getEngineValue(), 0.65f);
    EXPECT_FLOAT_EQ (patch.param (reverbLowCut).getEngineValue(), 0.401f);
    EXPECT_FLOAT_EQ (patch.param (reverbHighDamp).getEngineValue(), 0.97f);
    EXPECT_FLOAT_EQ (patch.param (noiseColor).getEngineValue(), 0.5f);
    EXPECT_EQ (patch.param (fxType).getInt(), 0);
    EXPECT_FLOAT_EQ (patch.param (eqLow).getEngineValue(), 0.2f);
    EXPECT_FLOAT_EQ (patch.param (eqHigh).getEngineValue(), 0.8f);
    EXPECT_FLOAT_EQ (patch.param (fxSplit).getEngineValue(), 0.5f);
    EXPECT_TRUE (patch.param (flt2Track).getBool());
    EXPECT_FLOAT_EQ (patch.param (oscMix).getEngineValue(), 0.7f);
    EXPECT_FALSE (patch.modernLfoWaves);
}

TEST (PresetDictionary, ShortListSetsOnlyItsParameters)
{
    VexmoorPatch patch;
    patch.initPatch();
    juce::StringArray pieces;
    for (int i = 0; i < 37; ++i)
        pieces.add ("0.123000");
    patch.applyPresetDictionary (withValue (patch, "paramsA", "<string>" + pieces.joinIntoString (",") + "</string>").get());
    EXPECT_FLOAT_EQ (patch.param (36).getEngineValue(), 0.123f); // the lists hold engine values
    EXPECT_FLOAT_EQ (patch.param (ampDecay).getEngineValue(), 0.123f);
    EXPECT_FLOAT_EQ (patch.param (eqLow).getEngineValue(), 0.5f);    // 37 untouched
    EXPECT_FLOAT_EQ (patch.param (eqHigh).getEngineValue(), 0.5f);
}

TEST (PresetDictionary, ParamsBIsReadOnlyWithParamsA)
{
    VexmoorPatch patch;
    patch.initPatch();
    auto d = withValue (patch, "paramsB", "<string>0.9,0.9,0.9</string>");
    d->replaceChildElement (plistFindValue ("paramsA", d.get()), juce::XmlDocument::parse ("<string></string>").release());
    patch.applyPresetDictionary (d.get());
    EXPECT_EQ (patch.param (osc1Width).getValueB(), 0.0f);
}

TEST (PresetDictionary, DictWithoutListsReadsTheOldKeys)
{
    auto d = dictFrom ("<key>osc1Type</key><integer>1</integer>"
                       "<key>appVersion</key><real>1.5</real>"
                       "<key>fltC</key><real>0.3</real>"
                       "<key>ampS</key><real>0.6</real>"
                       "<key>lfoRate</key><real>10.0025</real>"
                       "<key>lfoAmount</key><real>-1</real>"
                       "<key>fx1Type</key><integer>2</integer>"
                       "<key>fxChorusDepth</key><real>0.25</real>"
                       "<key>fxChorusRate</key><real>0.75</real>"
                       "<key>fxDistAmount</key><real>0.1</real>");
    VexmoorPatch patch;
    patch.param (fxType).setFromInt (1); // the previous sound's effect must not pick the keys
    patch.applyPresetDictionary (d.get());
    EXPECT_FLOAT_EQ (patch.param (filter1Cutoff).getEngineValue(), 0.3f);
    EXPECT_FLOAT_EQ (patch.param (filter1Cutoff).getValueB(), 0.3f);
    EXPECT_FLOAT_EQ (patch.param (ampSustain).getEngineValue(), 0.6f);
    const float q = (10.0025f - 0.005f) / 19.995f;
    EXPECT_FLOAT_EQ (patch.param (lfo1Frequency).getEngineValue(), (float) std::log10 ((double) q * 9.0 + 1.0));
    EXPECT_FLOAT_EQ (patch.param (lfo1Amount).getEngineValue(), (float) (0.5 - 0.5 * std::log10 (10.0)));
    EXPECT_FLOAT_EQ (patch.param (effectControl1).getEngineValue(), 0.25f);
    EXPECT_FLOAT_EQ (patch.param (effectControl2).getEngineValue(), 0.75f);
    EXPECT_FLOAT_EQ (patch.param (noiseColor).getEngineValue(), 0.5f);
    EXPECT_EQ (patch.param (fxType).getInt(), 2);
    EXPECT_FLOAT_EQ (patch.param (fxLeftTaps).getEngineValue(), 3.0f); // no taps stored: 3 and 4
    EXPECT_FLOAT_EQ (patch.param (fxRightTaps).getEngineValue(), 4.0f);
}

TEST (PresetDictionary, DelayTapsKeepTheirFractions)
{
    VexmoorPatch source;
    source.param (fxLeftTaps).setFromEngine (1.06f);
    source.param (fxRightTaps).setFromEngine (3.5f);
    VexmoorPatch patch;
    patch.applyPresetDictionary (source.buildPresetDictionary().get());
    EXPECT_FLOAT_EQ (patch.param (fxLeftTaps).getEngineValue(), 1.06f);
    EXPECT_FLOAT_EQ (patch.param (fxRightTaps).getEngineValue(), 3.5f);

    // Whole tap counts stored as integers still load.
    patch.applyPresetDictionary (withValue (source, "fxDelayTapL", "<integer>2</integer>").get());
    EXPECT_FLOAT_EQ (patch.param (fxLeftTaps).getEngineValue(), 2.0f);
}

TEST (PresetDictionary, APresetWithoutPatternPlaysTheDefaultPattern)
{
    VexmoorPatch patch;
    patch.arpPattern.removeStep (0);
    patch.arpPattern.name = "Other";
    patch.applyPresetDictionary (without (patch.buildPresetDictionary(), "arp").get());
    EXPECT_TRUE (patch.arpPattern.sameAs (ArpPattern()));
}

TEST (PresetDictionary, WildValuesLoadAsAPlayableSound)
{
    VexmoorPatch patch;
    juce::StringArray wild;
    for (auto* w : { "nan", "inf", "-inf", "1e999", "-1e999", "-5", "7", "abc", "" })
        wild.add (w);
    while (wild.size() < 90)
        wild.add ("1e30");
    auto d = withValue (patch, "paramsA", "<string>" + wild.joinIntoString (",") + "</string>");
    d->replaceChildElement (plistFindValue ("paramsB", d.get()),
                            juce::XmlDocument::parse ("<string>" + wild.joinIntoString (",") + "</string>").release());
    d->replaceChildElement (plistFindValue ("amp", d.get()), juce::XmlDocument::parse ("<real>nan</real>").release());
    d->replaceChildElement (plistFindValue ("initialMod", d.get()), juce::XmlDocument::parse ("<real>1e38</real>").release());
    d->replaceChildElement (plistFindValue ("chord", d.get()),
                            juce::XmlDocument::parse ("<string>99999999999,-99999999999,3</string>").release());
    d->replaceChildElement (plistFindValue ("tags", d.get()), juce::XmlDocument::parse ("<string>-1,12,99,3</string>").release());
    d->replaceChildElement (plistFindValue ("pitchRange", d.get()),
                            juce::XmlDocument::parse ("<integer>-99999999999999999999</integer>").release());
    patch.applyPresetDictionary (d.get());

    for (int i = 0; i < kNumParams; ++i)
    {
        const auto& p = patch.param (i);
        EXPECT_TRUE (p.getValue() >= 0.0f && p.getValue() <= 1.0f) << i;
        EXPECT_TRUE (p.getValueB() >= 0.0f && p.getValueB() <= 1.0f) << i;
        EXPECT_TRUE (std::isfinite (p.getEngineValue())) << i;
    }
    EXPECT_EQ (patch.initialMod.load(), 1.0f);
    EXPECT_EQ (patch.chordNotes, (std::vector<int> { 127, -127, 3 }));
    std::array<bool, 12> tags {};
    tags[3] = true;
    EXPECT_EQ (patch.tagFlags, tags);
}
