#include "PluginFixture.h"

#include "Vst2Effect.h"

#include <cmath>

PluginLoader& PluginFixture::loader()
{
    static PluginLoader instance;
    return instance;
}

juce::File PluginFixture::binaryFor (PluginLoader::Format format)
{
    switch (format)
    {
        case PluginLoader::Format::vst2: return juce::File (QUORVANE_VST2_BINARY);
        case PluginLoader::Format::vst3: return juce::File (QUORVANE_VST3_BINARY);
        case PluginLoader::Format::lv2: return juce::File (QUORVANE_LV2_BINARY);
    }
    return {};
}

std::unique_ptr<juce::AudioPluginInstance> PluginFixture::loadInstance (double sampleRate, int blockSize)
{
    juce::String error;
    auto instance = loader().load (format(), binaryFor (format()), sampleRate, blockSize, error);
    EXPECT_NE (instance, nullptr) << error;
    return instance;
}

void PluginFixture::SetUp()
{
    plugin = loadInstance();
    ASSERT_NE (plugin, nullptr);
}

void PluginFixture::TearDown()
{
    plugin.reset();
}

juce::AudioProcessorParameter* PluginFixture::param (juce::AudioPluginInstance& instance, int index)
{
    return PluginLoader::parameterByNumber (instance, format(), index);
}

juce::String PluginFixture::textAt (int index, float value)
{
    if (format() == PluginLoader::Format::vst2)
    {
        // The raw VST2 call: JUCE's own host side trims trailing blanks.
        Vst2Effect effect (*plugin);
        effect.setParameter (index, value);
        return effect.parameterText (index);
    }
    if (format() == PluginLoader::Format::lv2)
        if (auto label = lv2ScalePointLabel (index, value); label.isNotEmpty())
            return label;
    return param (index)->getText (value, 1024);
}

juce::String PluginFixture::lv2ScalePointLabel (int index, float value) const
{
    // LV2 has no call for a plug-in's text; choices reach hosts as scale points.
    const auto turtle = binaryFor (format()).getChildFile ("dsp.ttl").loadFileAsString();
    const auto start = turtle.indexOf ("plug:param" + juce::String (index).paddedLeft ('0', 2) + "\n");
    if (start < 0)
        return {};
    const auto block = turtle.substring (start, turtle.indexOf (start, " .\n"));
    juce::String best;
    float bestDistance = 2.0f;
    for (int at = block.indexOf ("rdfs:label \""); at >= 0; at = block.indexOf (at + 1, "rdfs:label \""))
    {
        const auto rest = block.substring (at + 12);
        const auto label = rest.upToFirstOccurrenceOf ("\"", false, false);
        if (! rest.contains ("rdf:value"))
            continue;
        const float point = rest.fromFirstOccurrenceOf ("rdf:value ", false, false).getFloatValue();
        if (std::abs (point - value) < bestDistance && at != block.indexOf ("rdfs:label \""))
        {
            bestDistance = std::abs (point - value);
            best = label;
        }
    }
    return best;
}

void PluginFixture::renderBlocks (juce::AudioPluginInstance& instance, int blockSize, int count)
{
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    for (int b = 0; b < count; ++b)
    {
        for (int c = 0; c < 2; ++c)
            juce::FloatVectorOperations::fill (buffer.getWritePointer (c), NAN, blockSize);
        instance.processBlock (buffer, midi);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < blockSize; ++i)
                ASSERT_TRUE (std::isfinite (buffer.getSample (c, i))) << "block " << blockSize << " sample " << i;
    }
}

std::string formatTestName (const ::testing::TestParamInfo<PluginLoader::Format>& info)
{
    return PluginLoader::formatName (info.param).toStdString();
}
