#pragma once

/** Watches what the calling thread does between start() and stop(): heap
    allocations, files opened and waits for a mutex held by another thread.
    It interposes malloc, open, fopen and pthread_mutex_lock for the whole test
    process (plug-ins loaded into it included). Not available in sanitizer
    builds, which bring their own allocator and interceptors. */
namespace RealtimeMonitor
{
struct Counts
{
    long allocations = 0;
    long fileOpens = 0;
    long lockWaits = 0;

    Counts& operator+= (const Counts& other)
    {
        allocations += other.allocations;
        fileOpens += other.fileOpens;
        lockWaits += other.lockWaits;
        return *this;
    }
};

bool isAvailable();
void start();
/** What happened on this thread since start(). */
Counts stop();
} // namespace RealtimeMonitor
