#pragma once

#include "params/KWParam.h"

#include <juce_core/juce_core.h>

/** How a factory sound source writes one parameter value: a choice by its
    label ("Saw", "LP", "On"), and a continuous value either as the knob
    position 0..1 or in the engine's own unit, which the parameter's mapper
    turns into the knob position:

    - "s" / "ms": envelope times and LFO fade-ins, in seconds;
    - "Hz" / "kHz": filter cutoffs (the cutoff law) and LFO rates;
    - "st": "Osc2 semi" and "Multi spread", whole semitones;
    - "ct": "Osx 2 cents" and "Multi detune", in cents;
    - "dB": "Amp" (level), "Eq low" and "Eq high" (band gain);
    - "steps": the delay taps "FX L taps" and "FX R taps", in sixteenth notes. */
class ParamUnits
{
public:
    /** The knob position for text, or false with the reason. */
    static bool parse (const KWParam& param, const juce::String& text, float& normalised, juce::String& error);
    /** The value as a source writes it, in the parameter's natural unit. */
    static juce::String format (const KWParam& param, float normalised);
    /** The units a parameter accepts besides its knob position, for messages. */
    static juce::StringArray unitsOf (const KWParam& param);
};
