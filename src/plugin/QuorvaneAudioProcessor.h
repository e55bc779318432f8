#pragma once

#include "engine/SynthHost.h"
#include "presets/KWBankManager.h"
#include "presets/KWPresetClient.h"
#include "presets/PresetListener.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>
#include <vector>

/** The plug-in object the host talks to. It is thin: audio goes to the
    SynthHost, parameter requests to the KWParam objects, state to the presets. */
class QuorvaneAudioProcessor : public juce::AudioProcessor,
                               public PresetListener,
                               public KWPresetClient
{
public:
    QuorvaneAudioProcessor();
    ~QuorvaneAudioProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;
    /** While the host bypasses it, the instrument takes no new notes and lets
        the sounding ones end with their release rather than cutting them off. */
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlockBypassed;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;
    bool silenceInProducesSilenceOut() const override;
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    void reset() override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    float getParameter (int index) override;
    void setParameter (int index, float value) override;
    const juce::String getParameterName (int index) override;
    const juce::String getParameterText (int index) override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    // KWPresetClient
    std::unique_ptr<juce::XmlElement> createPresetDictionary() override;
    void loadPreset (KWPreset* preset) override;

    SynthHost& getSynthHost() noexcept { return *host; }
    /** Banks, presets, the arp library and the host state. */
    KWBankManager& getBankManager() noexcept { return *bankManager; }
    /** Output level for the meter, 0..1, updated after every rendered block. */
    float getLevel() const noexcept { return level.load (std::memory_order_relaxed); }

private:
    KWParam* managedParam (int index) const;
    void render (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi);

    std::unique_ptr<SynthHost> host;
    std::atomic<float> level { 0.0f };
    bool bypassed = false;
    std::unique_ptr<KWBankManager> bankManager;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (QuorvaneAudioProcessor)
};
