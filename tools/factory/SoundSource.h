#pragma once

#include "engine/VexmoorPatch.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

/** A factory sound in its readable source form: the header keys, then only
    the parameters that differ from "Init", by their display name, each with
    its group A value and, for a morphing parameter, "->" and its group B value:

        name  = Glass Pluck
        tags  = Key, Bright, Short       # names from the tag vocabulary
        chord = 4, 7                     # chord mode with these intervals
        arp   = Rising Eighths           # a pattern of the arp library
        wheel = 0                        # the stored morph wheel position

        Osc1 type          = Saw
        Filter 1 cutoff    = 400 Hz -> 2.5 kHz
        AMP env release    = 300 ms -> 1.2 s

    Values are written as ParamUnits reads them (choice labels, knob positions
    or engine units). */
class SoundSource
{
public:
    /** The pattern of the arp library with that name, or null. */
    using ArpLookup = std::function<const ArpPattern* (const juce::String& name)>;

    /** The preset dictionary the plug-in stores for the sound, "fav" included
        as a bank holds it; null with "line N: reason" in error. The result is
        checked to play back exactly as written: applied to a fresh sound and
        stored again, it gives the same dictionary. */
    static std::unique_ptr<juce::XmlElement> compile (const juce::String& text, const ArpLookup& arps,
                                                      juce::String& error);
    /** A stored preset written back as source text (for sounds made in the editor). */
    static juce::String describe (const juce::XmlElement& presetDictionary);
};
