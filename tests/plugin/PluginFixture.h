#pragma once

#include "PluginLoader.h"

#include <gtest/gtest.h>

#include <memory>

/** The built plug-in binary of one format, loaded fresh for each test. */
class PluginFixture : public ::testing::TestWithParam<PluginLoader::Format>
{
protected:
    void SetUp() override;
    void TearDown() override;

    /** Loads another instance of the same binary. */
    std::unique_ptr<juce::AudioPluginInstance> loadInstance (double sampleRate = 44100.0, int blockSize = 512);
    /** The host's view of parameter number index. */
    juce::AudioProcessorParameter* param (int index) { return param (*plugin, index); }
    /** The host's view of parameter number index of another instance of this format. */
    juce::AudioProcessorParameter* param (juce::AudioPluginInstance& instance, int index);
    /** The label of the scale point nearest value in the LV2 bundle, or empty. */
    juce::String lv2ScalePointLabel (int index, float value) const;
    /** The display text a host of this format can show for a value. */
    juce::String textAt (int index, float value);
    /** Renders blocks of the given size, checking that every sample is finite. */
    void renderBlocks (juce::AudioPluginInstance& instance, int blockSize, int count);

    PluginLoader::Format format() const { return GetParam(); }
    static juce::File binaryFor (PluginLoader::Format format);

    std::unique_ptr<juce::AudioPluginInstance> plugin;

private:
    static PluginLoader& loader();
};

/** gtest parameter names: vst2, vst3, lv2. */
std::string formatTestName (const ::testing::TestParamInfo<PluginLoader::Format>& info);
