#pragma once

#include "engine/NoteEvent.h"

#include <vector>

class ArpPattern;
class DSPContext;

/** Turns the held keys into the pattern's stepped notes. Called by the engine
    once per sub-block on the audio thread; while enabled, the sub-block's note
    events only feed the held-note list and are replaced by the runner's own
    note-on and release-all events. Steps follow the context's 1/64-note ticks. */
class ArpRunner
{
public:
    explicit ArpRunner (NoteEventPool& pool);
    ~ArpRunner();

    ArpRunner (const ArpRunner&) = delete;
    ArpRunner& operator= (const ArpRunner&) = delete;

    /** Rewrites the sub-block's event list in place. */
    void process (std::vector<NoteEvent*>& events);
    /** Forgets the held keys (panic). */
    void clearHeldNotes() noexcept { heldNotes.clear(); }

    const std::vector<int>& getHeldNotes() const noexcept { return heldNotes; }
    int getStepIndex() const noexcept { return stepIndex; }

    bool enabled = false;
    DSPContext* context = nullptr;
    ArpPattern* pattern = nullptr;

private:
    void step (int offset);
    void emitReleaseAll (int offset);

    NoteEventPool& events;
    std::vector<int> heldNotes;
    std::vector<NoteEvent*> output;
    bool holdCurrent = false;
    int stepIndex = 0;
    int notePosition = 0;
    bool wasEnabled = false;
};
