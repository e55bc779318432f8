// What a host sees of the built plug-in, in each of its formats.

#include "RealtimeMonitor.h"
#include "PluginFixture.h"
#include "Vst2Effect.h"

#include <cmath>

using Format = PluginLoader::Format;

namespace
{
class PluginBinaryTest : public PluginFixture
{
};

struct ParamCase
{
    int index;
    const char* name;
    float defaultValue;
};

struct TextCase
{
    int index;
    float value;
    const char* text;
};

// VST2 display texts travel through a 24-character field.
juce::String asSeenBy (Format format, const juce::String& text)
{
    return format == Format::vst2 ? text.substring (0, 24) : text;
}
} // namespace

TEST_P (PluginBinaryTest, IdentityIsQuorvaneByKestrelway)
{
    const auto description = plugin->getPluginDescription();
    EXPECT_EQ (description.name, "Quorvane");
    EXPECT_EQ (description.manufacturerName, "Kestrelway");
    EXPECT_TRUE (description.isInstrument);
    EXPECT_EQ (plugin->getTotalNumInputChannels(), 0);
    EXPECT_EQ (plugin->getTotalNumOutputChannels(), 2);
    EXPECT_TRUE (plugin->acceptsMidi());

    if (format() == Format::vst2)
    {
        Vst2Effect effect (*plugin);
        ASSERT_TRUE (effect.isValid());
        EXPECT_EQ (effect.uniqueId(), (int) juce::ByteOrder::bigEndianInt ("QRVN"));
        EXPECT_EQ (effect.versionField(), 120);
        EXPECT_EQ (effect.vendorVersion(), 120);
        EXPECT_EQ (effect.category(), 2);
        EXPECT_EQ (effect.numInputs(), 0);
        EXPECT_EQ (effect.numOutputs(), 2);
        EXPECT_EQ (effect.numPrograms(), 1);
        EXPECT_EQ (effect.effectName(), "Quorvane");
        EXPECT_EQ (effect.vendorString(), "Kestrelway");
        EXPECT_EQ (effect.productString(), "Quorvane");
        const int required = Vst2Effect::kFlagIsSynth | Vst2Effect::kFlagHasEditor | Vst2Effect::kFlagCanReplacing
                             | Vst2Effect::kFlagProgramChunks;
        EXPECT_EQ (effect.flags() & required, required);
        for (const char* yes : { "receiveVstEvents", "receiveVstMidiEvent", "receiveVstMidiEvents", "sendVstEvents",
                                 "sendVstMidiEvent", "sendVstMidiEvents", "receiveVstTimeInfo",
                                 "conformsToWindowRules", "bypass" })
            EXPECT_EQ (effect.canDo (yes), 1) << yes;
        EXPECT_EQ (effect.canDo ("openCloseAnyThread"), -1);
        EXPECT_EQ (effect.canDo ("offline"), 0);
    }
    else if (format() == Format::vst3)
    {
        EXPECT_EQ (description.version, "1.2.0");
        EXPECT_TRUE (plugin->producesMidi());
    }
    else
    {
        // JUCE's LV2 host does not read the version; the bundle declares it.
        const auto turtle = binaryFor (format()).getChildFile ("dsp.ttl").loadFileAsString();
        EXPECT_TRUE (turtle.contains ("lv2:minorVersion 2")) << turtle.substring (0, 400);
        EXPECT_TRUE (turtle.contains ("lv2:microVersion 0"));
        EXPECT_TRUE (plugin->producesMidi());
    }
}

TEST_P (PluginBinaryTest, ExposesTheEightySevenParameters)
{
    const auto& params = plugin->getParameters();
    if (format() == Format::vst3)
    {
        // JUCE's VST3 wrapper adds a bypass switch and the parameters that carry
        // MIDI controllers in VST3, after the plug-in's own.
        ASSERT_GT (params.size(), 87);
        EXPECT_TRUE (params[87]->getName (1024).containsIgnoreCase ("bypass")) << params[87]->getName (1024);
    }
    else if (format() == Format::lv2)
        ASSERT_EQ (params.size(), 88); // the host's bypass switch first
    else
        ASSERT_EQ (params.size(), 87);

    const ParamCase cases[] = {
        { 0, "Osc 1 width", 0.0f },          { 4, "Osc mix", 0.5f },          { 6, "Filter 1 cutoff", 0.5f },
        { 23, "Osx 2 cents", 0.5f },         { 43, "Mix invert?", 0.0f },     { 57, "Amp", 0.6f },
        { 66, "FX L taps", 0.02f },          { 76, "Reverb lcut", 0.401f },   { 80, "Osc1 type", 0.33333334f },
        { 82, "Flt2 track ", 0.0f },         { 83, "FX morph ", 1.0f },       { 84, "FLT stereo spread ", 0.0f },
        { 86, "Playback mode", 0.0f },
    };
    for (const auto& c : cases)
    {
        if (format() == Format::vst2)
            EXPECT_EQ (Vst2Effect (*plugin).parameterName (c.index), c.name) << c.index; // no defaults in VST2
        else
        {
            EXPECT_EQ (param (c.index)->getName (1024), c.name) << c.index;
            EXPECT_NEAR (param (c.index)->getDefaultValue(), c.defaultValue, 1e-6f) << c.index;
        }
        EXPECT_NEAR (param (c.index)->getValue(), c.defaultValue, 1e-6f) << c.index;
    }
}

TEST_P (PluginBinaryTest, ShowsTheDocumentedDisplayTexts)
{
    const TextCase choices[] = {
        { 86, 0.0f, "Poly" }, { 86, 0.5f, "Solo" }, { 86, 1.0f, "ARP" }, { 44, 0.0f, "BYPASS" },
        { 49, 1.0f, "LFO2 FREQ" }, { 41, 1.0f, "On" }, { 80, 0.33333334f, "Saw" },
    };
    const TextCase continuous[] = {
        { 4, 0.5f, "Osc MIX: 50/50 " },
        { 6, 0.5f, "Filter 1 cutoff:797.86 Hz " },
        { 72, 0.25f, "Side/o: 75/25" },
        { 0, 0.25f, "Osc 1 width: 0.25" },
        { 8, 0.0f, "Filter 1 env amount: -1.00" },
        { 61, 1.0f, "Pitch bend range: 12 semi" },
    };
    for (const auto& c : choices)
        EXPECT_EQ (textAt (c.index, c.value), c.text) << c.index << " at " << c.value;

    // LV2 has no call for a plug-in's own text of a continuous value.
    if (format() != Format::lv2)
    {
        for (const auto& c : continuous)
            EXPECT_EQ (textAt (c.index, c.value), asSeenBy (format(), c.text)) << c.index << " at " << c.value;
    }
}

TEST_P (PluginBinaryTest, AutomationSetsAndReadsBackValues)
{
    auto* cutoff = param (6);
    cutoff->setValue (0.25f);
    EXPECT_NEAR (cutoff->getValue(), 0.25f, 1e-6f);
    cutoff->setValue (1.0f);
    EXPECT_NEAR (cutoff->getValue(), 1.0f, 1e-6f);

    if (format() == Format::vst2)
    {
        // A VST2 host can send any float; the plug-in keeps 0..1.
        Vst2Effect effect (*plugin);
        effect.setParameter (6, 1.7f);
        EXPECT_EQ (effect.getParameter (6), 1.0f);
        effect.setParameter (6, -0.2f);
        EXPECT_EQ (effect.getParameter (6), 0.0f);
        EXPECT_EQ (effect.getParameter (500), 0.0f);
        effect.setParameter (500, 0.5f);
    }
}

TEST_P (PluginBinaryTest, HasOneUnnamedProgramThatChangesNothing)
{
    // JUCE's VST3 wrapper publishes no program list for a single program.
    EXPECT_EQ (plugin->getNumPrograms(), format() == Format::vst3 ? 0 : 1);
    EXPECT_EQ (plugin->getCurrentProgram(), 0);
    EXPECT_EQ (plugin->getProgramName (0), "");

    param (6)->setValue (0.3f);
    juce::MemoryBlock before, after;
    plugin->getStateInformation (before);
    plugin->setCurrentProgram (0);
    plugin->getStateInformation (after);
    EXPECT_NEAR (param (6)->getValue(), 0.3f, 1e-6f);
    EXPECT_EQ (after, before);
    EXPECT_EQ (plugin->getCurrentProgram(), 0);
}

TEST_P (PluginBinaryTest, AnyHostBlockSizeReturnsEverySample)
{
    for (int blockSize : { 1, 16, 100, 512, 4096, 10000 })
    {
        auto instance = loadInstance (44100.0, blockSize);
        ASSERT_NE (instance, nullptr);
        instance->prepareToPlay (44100.0, blockSize);
        renderBlocks (*instance, blockSize, 4);
        instance->releaseResources();
    }
}

TEST_P (PluginBinaryTest, FractionalSampleRateIsServed)
{
    auto instance = loadInstance (44100.5, 256);
    ASSERT_NE (instance, nullptr);
    instance->prepareToPlay (44100.5, 256);
    renderBlocks (*instance, 256, 8);
}

TEST_P (PluginBinaryTest, ProcessingAllocatesNothingAfterTheFirstBlock)
{
    if (! RealtimeMonitor::isAvailable())
        GTEST_SKIP() << "sanitizer build";
    plugin->prepareToPlay (44100.0, 512);
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    plugin->processBlock (buffer, midi);

    RealtimeMonitor::start();
    for (int i = 0; i < 200; ++i)
        plugin->processBlock (buffer, midi);
    EXPECT_EQ (RealtimeMonitor::stop().allocations, 0);
}

INSTANTIATE_TEST_SUITE_P (Formats, PluginBinaryTest, ::testing::Values (Format::vst2, Format::vst3, Format::lv2),
                          formatTestName);
