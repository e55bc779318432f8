#pragma once

#include <cmath>

/** Small pieces every master effect shares: the pass length, the guard of the
    controls the engine writes, the read of a modulated delay line and the
    snapping of decaying memories to silence. */
namespace EffectBlock
{
/** The longest run of stereo frames an effect handles in one pass (one engine
    sub-block). Longer calls are processed as several passes. */
constexpr int kMaxFrames = 512;

/** Runs pass (buffer, frames) over n interleaved stereo frames, at most
    kMaxFrames at a time. */
template <typename Pass>
inline void forEachPass (float* buffer, int n, Pass&& pass) noexcept
{
    while (n > 0)
    {
        const int frames = n < kMaxFrames ? n : kMaxFrames;
        pass (buffer, frames);
        buffer += 2 * frames;
        n -= frames;
    }
}

/** A control limited to 0..1; a value that is not a number counts as 0, so a
    stray value can never move a read position outside its line. */
inline float clampUnit (float v) noexcept
{
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
}

/** Memories of the recursive effects that fall below this (about -400 dB) are
    set to exactly zero. Decaying tails thus end in true silence instead of
    crawling through denormal numbers, which cost many times a normal sample on
    processors that run without flush-to-zero. */
constexpr float kSilenceFloor = 1.0e-20f;

inline float snapToZero (float v) noexcept
{
    return std::fabs (v) < kSilenceFloor ? 0.0f : v;
}

/** True when every one of the n values lies below the silence floor. */
bool isSilent (const float* x, int n) noexcept;

/** Writes n interleaved stereo frames into two delay lines of lineLength
    values (a power of two) from writePos on, wrapping; returns the next write
    position. */
int writeLines (float* left, float* right, int lineLength, int writePos, const float* x, int n) noexcept;

/** Reads a delay line of lineLength values (plus one guard value after them)
    at the fractional positions, interpolating linearly. Positions at or past
    the end are taken once round the ring; the guard repeats the first value so
    that the interpolation across the end reads the ring's start. Positions are
    rewritten in place. */
void readInterpolated (float* dst, float* line, int lineLength, float* positions, int n) noexcept;
} // namespace EffectBlock
