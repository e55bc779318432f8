#include "PeerSubject.h"

#include "params/ParamIndex.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
using namespace ParamIndex;
using Setting = PeerSubject::QuorvaneSetting;

// Choice counts of the parameters the sounds switch.
constexpr int kOscTypes = 4, kOffOn = 2, kFilterTypes = 17, kRoutings = 2, kLfo1Targets = 18, kLfo2Targets = 17,
              kFxTypes = 5;
constexpr int kSupersaw = 0, kSaw = 1, kLowPass = 1, kParallel = 1, kFlt1Freq = 2, kFlt2Freq = 3, kChorus = 2;

/** The normalised value of a choice, a hair above its exact value so that
    truncating (choices - 1) * value in float always gives the choice back. */
float choiceValue (int choice, int choices)
{
    if (choices < 2 || choice >= choices - 1)
        return 1.0f;
    return ((float) choice + 0.01f) / (float) (choices - 1);
}

// Both oscillators "Saw", oscillator 2 five cents up, filter 1 "LP" 24 dB with
// a decaying envelope, no effects: the sound the peers are set up to match.
const std::vector<Setting> kTwoSaws {
    { osc1Type, kSaw, kOscTypes },
    { osc2Type, kSaw, kOscTypes },
    { osc2Cents, 0.5243f },
    { flt1Type, kLowPass, kFilterTypes },
    { flt1Is24dB, 1, kOffOn },
    { filter1Cutoff, 0.35f },
    { filter1Resonance, 0.4f },
    { filter1EnvAmount, 0.75f },
    { filterEnvDecay, 0.4f },
    { filterEnvSustain, 0.5f },
    { ampRelease, 0.3f },
};

// Everything that costs: supersaws with unison partners on both oscillators,
// both filters low-pass in parallel (filter 1 at 24 dB; filter 2 has no 24 dB
// switch), each LFO on a filter's cutoff, chorus, delay and reverb.
const std::vector<Setting> kHeavy {
    { osc1Type, kSupersaw, kOscTypes },
    { osc2Type, kSupersaw, kOscTypes },
    { osc1Width, 0.5f },
    { osc2Width, 0.6f },
    { osc2Cents, 0.52f },
    { multiOsc1, 1, kOffOn },
    { multiOsc2, 1, kOffOn },
    { multiDetune, 0.5f },
    { multiMix, 0.5f },
    { flt1Type, kLowPass, kFilterTypes },
    { flt1Is24dB, 1, kOffOn },
    { flt2Type, kLowPass, kFilterTypes },
    { fltRouting, kParallel, kRoutings },
    { filter1Cutoff, 0.45f },
    { filter1Resonance, 0.3f },
    { filter2Cutoff, 0.55f },
    { filter2Resonance, 0.3f },
    { filter1EnvAmount, 0.65f },
    { filter2EnvAmount, 0.6f },
    { filterEnvDecay, 0.4f },
    { filterEnvSustain, 0.5f },
    { lfo1Target, kFlt1Freq, kLfo1Targets },
    { lfo2Target, kFlt2Freq, kLfo2Targets },
    { lfo1Amount, 0.7f },
    { lfo2Amount, 0.3f },
    { lfo1Frequency, 0.4f },
    { lfo2Frequency, 0.6f },
    { fxType, kChorus, kFxTypes },
    { effectControl1, 0.5f },
    { effectControl2, 0.5f },
    { delayMix, 0.3f },
    { delayFeedback, 0.4f },
    { reverbOn, 1, kOffOn },
    { reverbDryWet, 0.3f },
    { ampRelease, 0.3f },
};

// synthv1 as the two detuned saws: DCO 1's two saws, its first filter low-pass
// 24 dB with envelope, no LFOs, no second layer, no limiter.
const std::vector<PeerSubject::PortSetting> kSynthv1TwoSaws {
    { "DCO1_SHAPE1", 1.0f }, { "DCO1_SHAPE2", 1.0f }, { "DCO1_DETUNE", 0.2f },  { "DCF1_ENABLED", 1.0f },
    { "DCF1_TYPE", 0.0f },   { "DCF1_SLOPE", 1.0f },  { "DCF1_CUTOFF", 0.35f }, { "DCF1_RESO", 0.4f },
    { "DCF1_ENVELOPE", 0.5f }, { "LFO1_ENABLED", 0.0f }, { "LFO2_ENABLED", 0.0f }, { "DCF2_ENABLED", 0.0f },
    { "DCA2_VOLUME", 0.0f }, { "OUT2_VOLUME", 0.0f }, { "DYN1_LIMITER", 0.0f },
};

/** The minimum and maximum a bundle's turtle files give a port, found by its symbol. */
bool portRange (const juce::File& bundle, const juce::String& symbol, float& low, float& high)
{
    for (const auto& file : bundle.findChildFiles (juce::File::findFiles, false, "*.ttl"))
    {
        const auto text = file.loadFileAsString();
        const int at = text.indexOf ("lv2:symbol \"" + symbol + "\"");
        if (at < 0)
            continue;
        // A port's properties follow its symbol up to the next port's symbol
        // (scale points bring brackets of their own, so brackets tell nothing).
        const int next = text.indexOf (at + 1, "lv2:symbol");
        const auto port = text.substring (at, next < 0 ? text.length() : next);
        auto number = [&] (const char* key, float& value) {
            const int k = port.indexOf (key);
            if (k < 0)
                return false;
            value = port.substring (k + (int) std::strlen (key)).trimStart().getFloatValue();
            return true;
        };
        return number ("lv2:minimum", low) && number ("lv2:maximum", high) && high > low;
    }
    return false;
}
} // namespace

std::vector<PeerSubject> PeerSubject::quorvane (PluginLoader::Format format, const juce::File& binary)
{
    std::vector<PeerSubject> sounds;
    for (const auto& [name, settings] : { std::pair<const char*, const std::vector<Setting>*> { "Init", nullptr },
                                          std::pair<const char*, const std::vector<Setting>*> { "Two saws", &kTwoSaws },
                                          std::pair<const char*, const std::vector<Setting>*> { "Heavy", &kHeavy } })
    {
        PeerSubject s;
        s.synth = Synth::quorvane;
        s.format = format;
        s.binary = binary;
        s.sound = name;
        if (settings != nullptr)
            s.quorvaneSettings = *settings;
        sounds.push_back (s);
    }
    return sounds;
}

PeerSubject PeerSubject::peer (Synth synth, const juce::File& bundle, const juce::String& sound,
                               const std::vector<PortSetting>& ports)
{
    PeerSubject s;
    s.synth = synth;
    s.format = PluginLoader::Format::lv2;
    s.binary = bundle;
    s.sound = sound;
    s.portSettings = ports;
    return s;
}

PeerSubject PeerSubject::synthv1 (const juce::File& bundle)
{
    return peer (Synth::synthv1, bundle, "Two saws", kSynthv1TwoSaws);
}

PeerSubject PeerSubject::zynAddSubFx (const juce::File& bundle)
{
    return peer (Synth::zynAddSubFx, bundle, "Default", {});
}

juce::String PeerSubject::synthName() const
{
    switch (synth)
    {
        case Synth::quorvane: return "Quorvane";
        case Synth::synthv1: return "synthv1";
        case Synth::zynAddSubFx: return "ZynAddSubFX";
    }
    return {};
}

juce::String PeerSubject::formatName() const
{
    return PluginLoader::formatName (format).toUpperCase();
}

std::unique_ptr<juce::AudioPluginInstance> PeerSubject::load (PluginLoader& loader, double sampleRate, int blockSize,
                                                              juce::String& error) const
{
    auto instance = loader.load (format, binary, sampleRate, blockSize, error);
    if (instance == nullptr)
        return nullptr;
    const bool ok = synth == Synth::quorvane ? applyQuorvane (*instance, error) : applyPorts (*instance, error);
    return ok ? std::move (instance) : nullptr;
}

bool PeerSubject::applyQuorvane (juce::AudioPluginInstance& instance, juce::String& error) const
{
    // Every sound starts from Init: each parameter at its default, whatever
    // sound the plug-in opened with. Choices are snapped to whole choices, as
    // a format may write the default with fewer digits than it needs.
    for (int number = 0; number < kNumParams; ++number)
    {
        auto* p = PluginLoader::parameterByNumber (instance, format, number);
        if (p == nullptr)
        {
            error = "Quorvane " + formatName() + " has no parameter " + juce::String (number);
            return false;
        }
        float value = p->getDefaultValue();
        const int steps = p->getNumSteps();
        if (p->isDiscrete() && steps >= 2 && steps <= 100)
            value = choiceValue ((int) std::lround (value * (float) (steps - 1)), steps);
        p->setValueNotifyingHost (value);
    }
    for (const auto& s : quorvaneSettings)
    {
        auto* p = PluginLoader::parameterByNumber (instance, format, s.number);
        p->setValueNotifyingHost (s.choices > 0 ? choiceValue ((int) s.value, s.choices) : s.value);
    }
    return true;
}

juce::AudioProcessorParameter* PeerSubject::findPort (juce::AudioPluginInstance& instance, const char* symbol) const
{
    // JUCE's LV2 host names a control port's parameter "sym:" and its symbol.
    const auto id = "sym:" + juce::String (symbol);
    for (auto* p : instance.getParameters())
        if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (p))
            if (hosted->getParameterID() == id)
                return p;
    return nullptr;
}

bool PeerSubject::applyPorts (juce::AudioPluginInstance& instance, juce::String& error) const
{
    for (const auto& s : portSettings)
    {
        auto* p = findPort (instance, s.symbol);
        float low = 0.0f, high = 1.0f;
        if (p == nullptr || ! portRange (binary, s.symbol, low, high))
        {
            error = synthName() + " has no control port " + s.symbol;
            return false;
        }
        p->setValueNotifyingHost (std::clamp ((s.value - low) / (high - low), 0.0f, 1.0f));
    }
    return true;
}

juce::String PeerSubject::describeSettings (juce::AudioPluginInstance& instance) const
{
    juce::StringArray parts;
    for (const auto& s : quorvaneSettings)
        if (auto* p = PluginLoader::parameterByNumber (instance, format, s.number))
            parts.add (p->getName (64).trim() + "=" + p->getText (p->getValue(), 64));
    for (const auto& s : portSettings)
        if (auto* p = findPort (instance, s.symbol))
            parts.add (juce::String (s.symbol) + "=" + p->getText (p->getValue(), 64));
    return parts.joinIntoString (", ");
}
