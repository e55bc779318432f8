#pragma once

/** v limited to [low, high]; NaN gives low. Guards the laws that would turn
    out-of-range control values into infinities or endless loops. */
inline float clampOrLow (float v, float low, float high) noexcept
{
    return v > low ? (v < high ? v : high) : low;
}
