#pragma once

/** v limited to [low, high]; NaN gives low. Guards the laws that would turn
    out-of-range control values into infinities or endless loops. */
inline float clampOrLow (float v, float low, float high) noexcept
{
    return v > low ? (v < high ? v : high) : low;
}

/** floor (v) as an integer, for |v| < 2^31, without the library call that
    plain SSE2 code makes for std::floor. */
inline int floorToInt (float v) noexcept
{
    const int truncated = (int) v;
    return truncated - (v < (float) truncated ? 1 : 0);
}
