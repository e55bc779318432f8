#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <string>

/** What a validating host throws at a plug-in: a note pattern with chords, a
    held note, fast repeats, pitch bend, the modulation wheel and the sustain
    pedal, repeating every kCycle samples whatever the sample rate; and the
    checks it makes of every block it gets back. */
namespace HostWorkload
{
constexpr int kCycle = 2048;

/** Adds the pattern's events that fall into [start, start + length); without
    controllers, only its notes. */
void addEvents (juce::MidiBuffer& midi, juce::int64 start, int length, bool controllers = true);

/** Empty when every sample of channels 0 and 1 is finite and not subnormal,
    otherwise what is wrong and where. */
std::string checkBlock (const juce::AudioBuffer<float>& buffer, int numSamples);

/** Fills both channels with NaN, so that a sample the plug-in did not write
    is caught by checkBlock. */
void poison (juce::AudioBuffer<float>& buffer);
} // namespace HostWorkload
