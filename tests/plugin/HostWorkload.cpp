#include "HostWorkload.h"

#include <cmath>

namespace HostWorkload
{
namespace
{
void addCycleEvents (juce::MidiBuffer& midi, int cycleStart, int from, int to, juce::int64 cycleIndex, bool controllers)
{
    auto at = [&] (int offset, const juce::MidiMessage& message) {
        if (offset >= from && offset < to)
            midi.addEvent (message, cycleStart + offset - from);
    };
    const int shift = (int) (cycleIndex % 5);

    at (0, juce::MidiMessage::noteOn (1, 36, (juce::uint8) 90)); // the held note, re-struck every cycle
    for (int note : { 60, 64, 67, 71 })
        at (16, juce::MidiMessage::noteOn (1, note + shift, (juce::uint8) 100));
    for (int note : { 60, 64, 67, 71 })
        at (1200, juce::MidiMessage::noteOff (1, note + shift));
    for (int k = 0; k < 12; ++k)
    {
        at (64 + 160 * k, juce::MidiMessage::noteOn (1, 84, (juce::uint8) (40 + 5 * k)));
        at (64 + 160 * k + 80, juce::MidiMessage::noteOff (1, 84));
    }
    at (2040, juce::MidiMessage::noteOff (1, 36));
    if (! controllers)
        return;
    for (int k = 0; k < 16; ++k)
        at (8 + 128 * k, juce::MidiMessage::pitchWheel (1, 8192 + (int) (6000.0 * std::sin (k * 0.7))));
    for (int k = 0; k < 10; ++k)
        at (20 + 200 * k, juce::MidiMessage::controllerEvent (1, 1, (k * 13 + shift * 7) % 128));
    at (300, juce::MidiMessage::controllerEvent (1, 64, 127));
    at (1500, juce::MidiMessage::controllerEvent (1, 64, 0));
}
} // namespace

void addEvents (juce::MidiBuffer& midi, juce::int64 start, int length, bool controllers)
{
    juce::int64 position = start;
    int written = 0;
    while (written < length)
    {
        const juce::int64 cycle = position / kCycle;
        const int from = (int) (position % kCycle);
        const int to = std::min (kCycle, from + (length - written));
        addCycleEvents (midi, written, from, to, cycle, controllers);
        written += to - from;
        position += to - from;
    }
}

std::string checkBlock (const juce::AudioBuffer<float>& buffer, int numSamples)
{
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < numSamples; ++i)
        {
            const float x = buffer.getSample (c, i);
            if (! std::isfinite (x))
                return "not finite at channel " + std::to_string (c) + " sample " + std::to_string (i);
            if (std::fpclassify (x) == FP_SUBNORMAL)
                return "subnormal at channel " + std::to_string (c) + " sample " + std::to_string (i);
        }
    return {};
}

void poison (juce::AudioBuffer<float>& buffer)
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (c), NAN, buffer.getNumSamples());
}
} // namespace HostWorkload
