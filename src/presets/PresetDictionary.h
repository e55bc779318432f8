#pragma once

#include <juce_core/juce_core.h>

#include <memory>

class VexmoorPatch;

/** The whole sound as a preset dict (caller owns it): the 59 keys from
    "revPredelay" to "appVersion", in their fixed order. */
std::unique_ptr<juce::XmlElement> buildPresetDictionary (const VexmoorPatch& patch);

/** Sets the sound from a preset dict, with the defaults of every missing key
    and the upgrades of dicts written by older versions. A null dict, or one
    without "osc1Type", changes nothing. Values are chosen so that the sound
    plays, shows and saves again exactly as stored. Message thread; the engine
    calls it under its state lock. */
void applyPresetDictionary (VexmoorPatch& patch, const juce::XmlElement* dict);

/** The tag names, by index; index 11 has none. */
extern const char* const kPresetTagNames[12];
