#include "EngineFixture.h"

#include <algorithm>

void EngineFixture::noteOn (int midiNote, int sample, int velocity)
{
    midi.addEvent (juce::MidiMessage::noteOn (1, midiNote, (juce::uint8) velocity), sample);
}

void EngineFixture::noteOff (int midiNote, int sample)
{
    midi.addEvent (juce::MidiMessage::noteOff (1, midiNote), sample);
}

void EngineFixture::controller (int number, int value, int sample)
{
    midi.addEvent (juce::MidiMessage::controllerEvent (1, number, value), sample);
}

std::vector<float> EngineFixture::render (int samples)
{
    std::vector<float> left ((size_t) samples), right ((size_t) samples);
    for (int pos = 0; pos < samples; pos += 512)
    {
        const int count = std::min (512, samples - pos);
        engine.renderBlock (left.data() + pos, right.data() + pos, count, midi, kRate);
    }
    return left;
}

void EngineFixture::useSine()
{
    using namespace ParamIndex;
    choose (osc1Type, 3);         // "Sine-tri"
    param (osc1MixPwm).setValue (0.0f); // all sine
    param (osc1Width).setValue (0.0f);
    param (oscMix).setValue (0.0f); // oscillator 1 only
}
