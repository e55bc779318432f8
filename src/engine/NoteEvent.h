#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

/** One pending engine event. Notes are MIDI note numbers minus 12 (MIDI 60 is
    48); time is the sample offset within the sub-block in which it is due. */
struct NoteEvent
{
    enum Type : int
    {
        noteOn = 0,
        noteOff = 1,
        pitchBend = 2,
        morphWheel = 3,
        releaseAll = 5
    };

    int type = noteOn;
    bool slide = false;
    int note = 0;
    float value = 0.0f;
    int time = 0;
    bool fromArp = false;
};

/** Preallocated note events, so that playing never allocates on the audio
    thread. Any thread may take and return events; only when more events are in
    flight than were built up front does it fall back to the heap. */
class NoteEventPool
{
public:
    explicit NoteEventPool (int capacity);
    ~NoteEventPool();

    NoteEventPool (const NoteEventPool&) = delete;
    NoteEventPool& operator= (const NoteEventPool&) = delete;

    NoteEvent* acquire (int type, int note, float value, int time, bool slide = false, bool fromArp = false);
    void release (NoteEvent* event) noexcept;
    /** Returns every event of the list and empties it. */
    void releaseAll (std::vector<NoteEvent*>& events) noexcept;

private:
    void lock() noexcept;
    void unlock() noexcept;

    std::vector<NoteEvent*> freeList;
    std::vector<NoteEvent*> owned;
    std::atomic_flag busy = ATOMIC_FLAG_INIT;
};
