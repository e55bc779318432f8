#pragma once

#include "arp/ArpPattern.h"

#include <juce_core/juce_core.h>

/** An arp pattern in its readable source form:

        name       = Rising Eighths
        division   = 1/16          # 1/32, 1/16, 1/16 dotted or 1/8 per step
        sort       = on            # held keys sorted by pitch (default off)
        continuous = off           # keep stepping with no key held (default off)
        random     = off           # the next step is chosen at random (default off)
        step       = first         # one line per step, played in order
        step       = up x2 +12 hold

    A step is its mode (rest, repeat, first, last, down, up), then any of: xN
    (N held keys at once, 1..5), +N or -N (transpose in semitones, -12..12),
    hold (not released half-way) and glide (one legato note). */
class ArpSource
{
public:
    /** Fills pattern from the text; false with "line N: reason". */
    static bool compile (const juce::String& text, ArpPattern& pattern, juce::String& error);
    /** The pattern written back as source text. */
    static juce::String describe (const ArpPattern& pattern);
};
