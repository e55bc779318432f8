#include "TransportPlayHead.h"

juce::Optional<juce::AudioPlayHead::PositionInfo> TransportPlayHead::getPosition() const
{
    PositionInfo info;
    info.setBpm (bpm);
    info.setTimeSignature (TimeSignature { numerator, denominator });
    info.setIsPlaying (playing);
    info.setPpqPosition (ppqPosition);
    info.setTimeInSamples (samplePosition);
    info.setTimeInSeconds ((double) samplePosition / sampleRate);
    const double beatsPerBar = numerator * 4.0 / denominator;
    info.setPpqPositionOfLastBarStart (std::floor (ppqPosition / beatsPerBar) * beatsPerBar);
    return info;
}

void TransportPlayHead::advance (int samples, double rate)
{
    sampleRate = rate;
    samplePosition += samples;
    if (playing)
        ppqPosition += (double) samples / rate * bpm / 60.0;
}
