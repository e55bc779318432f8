#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** A play head a test or offline host drives: tempo, time signature, the
    musical position of the next block and the playing flag. */
class TransportPlayHead : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override;

    /** Moves the position on by a block of samples at the current tempo. */
    void advance (int samples, double sampleRate);

    double bpm = 120.0;
    int numerator = 4;
    int denominator = 4;
    bool playing = false;
    double ppqPosition = 0.0;
    juce::int64 samplePosition = 0;
    double sampleRate = 44100.0;
};
