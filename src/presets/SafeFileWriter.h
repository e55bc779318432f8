#pragma once

#include <juce_core/juce_core.h>

/** Replaces target with exactly these bytes, never leaving a half-written or
    missing file behind: the bytes go to a temporary file in the same folder,
    are flushed to the disk, and only then is the temporary renamed over the
    old file. On failure the old file is untouched and false is returned.
    Used for the bank files, the arp library and the MIDI map. */
bool writeFileReplacing (const juce::File& target, const void* data, size_t numBytes);

/** The same for a block of memory. */
bool writeFileReplacing (const juce::File& target, const juce::MemoryBlock& data);

/** Moves a file that cannot be read out of the way under a new, unused name
    beside it (name.unreadable-1, -2, ...), so it is kept for the user but no
    longer in the program's way. Returns the new file, or a null File on failure. */
juce::File moveAsideUnreadable (const juce::File& file);
