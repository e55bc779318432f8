#pragma once

#include <array>
#include <cstddef>

/** Note number to frequency. The base octave is tuned by table, not by formula,
    and every note above the covered range plays 1024 Hz. */
class PitchTable
{
public:
    PitchTable();

    static constexpr int kSize = 1024;
    /** note must be 0 .. kSize - 1. */
    float frequency (int note) const noexcept { return table[(std::size_t) note]; }

private:
    std::array<float, kSize> table {};
};
