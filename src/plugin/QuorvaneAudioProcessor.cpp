#include "plugin/QuorvaneAudioProcessor.h"

#include "presets/AppLog.h"

#include <algorithm>

QuorvaneAudioProcessor::QuorvaneAudioProcessor()
    : AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    logMessage ("QuorvaneAudioProcessor Creating **** ***** **** **** ");
    host = std::make_unique<SynthHost>();

    // Registered in index order, so a parameter's host index is its number.
    for (auto& param : host->getEngine().getPatch().releaseParameterOwnership())
        addParameter (param.release());

    // Finds (and on first start seeds) the banks and plays the default sound.
    bankManager = std::make_unique<KWBankManager> (this);
    bankManager->selectDefaultBank();
    addPresetListener (bankManager.get());
}

QuorvaneAudioProcessor::~QuorvaneAudioProcessor()
{
    host.reset();
    logMessage ("~QuorvaneAudioProcessor deleted ^^^^^^^^^^^^^^^^^^^^^^^^^^^^^ ");
    removeAllPresetListeners();
    bankManager.reset();
}

const juce::String QuorvaneAudioProcessor::getName() const { return "Quorvane"; }

// The sample rate reaches the engine with every block.
void QuorvaneAudioProcessor::prepareToPlay (double, int) {}
void QuorvaneAudioProcessor::releaseResources() {}

bool QuorvaneAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.inputBuses.isEmpty() && layouts.outputBuses.size() == 1
           && layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

void QuorvaneAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    bypassed = false;
    render (buffer, midi);
}

void QuorvaneAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    if (! bypassed)
    {
        bypassed = true;
        host->getEngine().postReleaseAll();
    }
    midi.clear();
    render (buffer, midi);
}

void QuorvaneAudioProcessor::render (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    juce::ScopedNoDenormals noDenormals;

    const int numSamples = buffer.getNumSamples();
    for (int channel = getTotalNumInputChannels(); channel < buffer.getNumChannels(); ++channel)
        buffer.clear (channel, 0, numSamples);

    host->getEngine().setPlayHead (getPlayHead());

    if (buffer.getNumChannels() < 2)
        return;

    host->render (buffer.getWritePointer (0), buffer.getWritePointer (1), numSamples, midi, (int) getSampleRate());
    level.store (host->getMeter(), std::memory_order_relaxed);
}

const juce::String QuorvaneAudioProcessor::getInputChannelName (int channelIndex) const
{
    return juce::String (channelIndex + 1);
}

const juce::String QuorvaneAudioProcessor::getOutputChannelName (int channelIndex) const
{
    return juce::String (channelIndex + 1);
}

bool QuorvaneAudioProcessor::isInputChannelStereoPair (int) const { return true; }
bool QuorvaneAudioProcessor::isOutputChannelStereoPair (int) const { return true; }
bool QuorvaneAudioProcessor::silenceInProducesSilenceOut() const { return false; }
double QuorvaneAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool QuorvaneAudioProcessor::acceptsMidi() const { return true; }
bool QuorvaneAudioProcessor::producesMidi() const { return true; }
void QuorvaneAudioProcessor::reset() {}

juce::AudioProcessorEditor* QuorvaneAudioProcessor::createEditor()
{
    return new juce::GenericAudioProcessorEditor (*this);
}

bool QuorvaneAudioProcessor::hasEditor() const { return true; }

KWParam* QuorvaneAudioProcessor::managedParam (int index) const
{
    const auto& params = getParameters();
    if (index < 0 || index >= params.size())
        return nullptr;
    return static_cast<KWParam*> (params[index]);
}

float QuorvaneAudioProcessor::getParameter (int index)
{
    auto* param = managedParam (index);
    return param != nullptr ? param->getValue() : 0.0f;
}

void QuorvaneAudioProcessor::setParameter (int index, float value)
{
    if (auto* param = managedParam (index))
        param->setValue (value);
}

const juce::String QuorvaneAudioProcessor::getParameterName (int index)
{
    auto* param = managedParam (index);
    return param != nullptr ? param->getName (128) : juce::String();
}

const juce::String QuorvaneAudioProcessor::getParameterText (int) { return {}; }

int QuorvaneAudioProcessor::getNumPrograms() { return 1; }

int QuorvaneAudioProcessor::getCurrentProgram()
{
    logMessage ("Quorvane: getCurrentProgram");
    return 0;
}

void QuorvaneAudioProcessor::setCurrentProgram (int)
{
    logMessage ("Quorvane: setCurrentProgram");
}

const juce::String QuorvaneAudioProcessor::getProgramName (int) { return {}; }
void QuorvaneAudioProcessor::changeProgramName (int, const juce::String&) {}

void QuorvaneAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    logMessage ("Quorvane::GET STATE INFORMATION");
    if (bankManager != nullptr)
        bankManager->getStateChunk (destData, createPresetDictionary());
}

void QuorvaneAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    logMessage ("Quorvane::SET STATE INFORMATION");
    if (bankManager != nullptr)
        bankManager->setStateChunk (data, sizeInBytes);
}

std::unique_ptr<juce::XmlElement> QuorvaneAudioProcessor::createPresetDictionary()
{
    if (host == nullptr)
        return nullptr;
    return host->getEngine().buildPresetDictionary();
}

void QuorvaneAudioProcessor::loadPreset (KWPreset* preset)
{
    if (host != nullptr && preset != nullptr)
        host->getEngine().applyPreset (preset->getDictionary());

    tellPresetLoaded (preset);
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new QuorvaneAudioProcessor();
}
