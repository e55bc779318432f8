#include "arp/ArpRunner.h"

#include "arp/ArpPattern.h"
#include "dsp/DSPContext.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace
{
constexpr std::size_t kCapacity = 1024;
constexpr int kTimeGrain = 32;
} // namespace

ArpRunner::ArpRunner (NoteEventPool& pool) : events (pool)
{
    heldNotes.reserve (kCapacity);
    output.reserve (kCapacity);
}

ArpRunner::~ArpRunner()
{
    events.releaseAll (output);
}

void ArpRunner::emitReleaseAll (int offset)
{
    output.push_back (events.acquire (NoteEvent::releaseAll, 10, 1.0f, offset, false, true));
}

void ArpRunner::process (std::vector<NoteEvent*>& list)
{
    if (! enabled)
    {
        if (wasEnabled)
        {
            // Turned off: the arpeggio's notes stop with it.
            heldNotes.clear();
            list.push_back (events.acquire (NoteEvent::releaseAll, 10, 1.0f, 0));
            wasEnabled = false;
        }
        return;
    }
    wasEnabled = true;

    NoteEvent* releaseAll = nullptr;
    for (auto* event : list)
    {
        if (event->type == NoteEvent::noteOn)
            heldNotes.push_back (event->note);
        else if (event->type == NoteEvent::noteOff)
            heldNotes.erase (std::remove (heldNotes.begin(), heldNotes.end(), event->note), heldNotes.end());
        else if (event->type == NoteEvent::releaseAll)
            releaseAll = event;
        if (pattern != nullptr && pattern->sortFingers)
            std::sort (heldNotes.begin(), heldNotes.end());
    }

    if (context != nullptr && pattern != nullptr && context->tickOffset != -1)
        step (context->tickOffset - context->tickOffset % kTimeGrain);

    for (auto* event : list)
        if (event != releaseAll)
            events.release (event);
    list.clear();

    if (releaseAll != nullptr)
    {
        // A release from outside (panic, pedal, chord change) silences the
        // arpeggio too.
        list.push_back (releaseAll);
        heldNotes.clear();
        events.releaseAll (output);
        return;
    }
    list.insert (list.end(), output.begin(), output.end());
    output.clear();
}

void ArpRunner::step (int offset)
{
    if (context->transition != 0)
        stepIndex = 0;

    const int division = pattern->timeDivision > 0 ? pattern->timeDivision : 2;
    const int k = context->tickCounter;
    if (k % division != 0)
        return;

    const int q = k / division;
    if (q % 2 != 0)
    {
        // The middle of a step: its notes end unless the step holds.
        if (! holdCurrent)
            emitReleaseAll (offset);
        return;
    }

    const int length = (int) pattern->steps.size();
    if (length == 0)
        return; // a pattern always keeps a step; nothing to play without one

    if (heldNotes.empty())
    {
        if (pattern->continuous)
            stepIndex = (stepIndex + 1) % length;
        else
        {
            stepIndex = 0;
            if (pattern->random)
                stepIndex = std::rand() % length;
        }
        emitReleaseAll (offset);
        return;
    }

    std::lock_guard<std::mutex> lock (pattern->lock);
    const int steps = (int) pattern->steps.size();
    if (steps == 0)
        return;
    if (stepIndex >= steps)
        stepIndex = 0;
    const ArpStep& s = *pattern->steps[(std::size_t) stepIndex];
    holdCurrent = s.hold;

    const int n = (int) heldNotes.size();
    switch (s.mode)
    {
        case 2: notePosition = 0; break;
        case 3: notePosition = n - 1; break;
        case 4: notePosition = notePosition - 1 < 0 ? n - 1 : notePosition - 1; break;
        case 5: notePosition = notePosition + 1 >= n ? 0 : notePosition + 1; break;
        default: break; // 0 rest and 1 repeat keep the position
    }

    if (s.mode != 0)
    {
        if (! s.glide)
            emitReleaseAll (offset);
        const unsigned count = s.glide ? 1u : std::min ((unsigned) s.voices, (unsigned) n);
        int p = notePosition < n ? notePosition : 0;
        for (unsigned v = 0; v < count; ++v)
        {
            int note = heldNotes[(std::size_t) p] + s.transpose;
            if (note < 0)
                note += 12;
            output.push_back (events.acquire (NoteEvent::noteOn, note, 1.0f, offset, s.glide, true));
            p = p + 1 >= n ? 0 : p + 1;
        }
    }

    stepIndex = (stepIndex + 1) % steps;
    if (pattern->random)
        stepIndex = std::rand() % steps;
}
