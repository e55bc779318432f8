#pragma once

/** Counts heap allocations made by the calling thread between start() and
    stop(), by interposing malloc and its relatives for the whole test process
    (plug-ins loaded into it included). Not available in sanitizer builds, which
    bring their own allocator. */
namespace AllocationCounter
{
bool isAvailable();
void start();
/** Allocations since start() on this thread. */
long stop();
} // namespace AllocationCounter
