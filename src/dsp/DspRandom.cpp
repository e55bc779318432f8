#include "dsp/DspRandom.h"

#include <atomic>
#include <cstdint>

namespace
{
// A Weyl sequence advanced atomically, each value scrambled by a 64-bit mixer
// (splitmix64): every caller gets its own draw without a lock.
std::atomic<std::uint64_t> weylState { 0x9E3779B97F4A7C15ull };

std::uint64_t mix (std::uint64_t z) noexcept
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
} // namespace

int DspRandom::next() noexcept
{
    const std::uint64_t state = weylState.fetch_add (0x9E3779B97F4A7C15ull, std::memory_order_relaxed);
    return (int) (mix (state) >> 49); // the top 15 bits: 0..32767
}
