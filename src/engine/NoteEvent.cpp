#include "engine/NoteEvent.h"

NoteEventPool::NoteEventPool (int capacity)
{
    owned.reserve ((std::size_t) capacity * 2);
    freeList.reserve ((std::size_t) capacity * 2);
    for (int i = 0; i < capacity; ++i)
    {
        owned.push_back (new NoteEvent());
        freeList.push_back (owned.back());
    }
}

NoteEventPool::~NoteEventPool()
{
    for (auto* e : owned)
        delete e;
}

// A spin lock: the critical sections are a few pointer moves, and the audio
// thread must never sleep on the message thread.
void NoteEventPool::lock() noexcept
{
    while (busy.test_and_set (std::memory_order_acquire))
    {
    }
}

void NoteEventPool::unlock() noexcept
{
    busy.clear (std::memory_order_release);
}

NoteEvent* NoteEventPool::acquire (int type, int note, float value, int time, bool slide, bool fromArp)
{
    lock();
    NoteEvent* e = nullptr;
    if (! freeList.empty())
    {
        e = freeList.back();
        freeList.pop_back();
    }
    else
    {
        e = new NoteEvent();
        owned.push_back (e);
    }
    unlock();
    *e = NoteEvent { type, slide, note, value, time, fromArp };
    return e;
}

void NoteEventPool::release (NoteEvent* event) noexcept
{
    if (event == nullptr)
        return;
    lock();
    freeList.push_back (event);
    unlock();
}

void NoteEventPool::releaseAll (std::vector<NoteEvent*>& events) noexcept
{
    lock();
    for (auto* e : events)
        freeList.push_back (e);
    unlock();
    events.clear();
}
