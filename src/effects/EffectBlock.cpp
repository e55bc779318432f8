#include "effects/EffectBlock.h"

#include "dsp/VectorOps.h"

#include <cmath>

namespace EffectBlock
{
bool isSilent (const float* x, int n) noexcept
{
    float level = 0.0f;
    for (int i = 0; i < n; ++i)
        level = std::fmax (level, std::fabs (x[i]));
    return level < kSilenceFloor;
}

int writeLines (float* left, float* right, int lineLength, int writePos, const float* x, int n) noexcept
{
    const int mask = lineLength - 1;
    for (int i = 0; i < n; ++i)
    {
        left[writePos] = x[2 * i];
        right[writePos] = x[2 * i + 1];
        writePos = (writePos + 1) & mask;
    }
    return writePos;
}

void readInterpolated (float* dst, float* line, int lineLength, float* positions, int n) noexcept
{
    line[lineLength] = line[0];
    const float length = (float) lineLength;
    for (int i = 0; i < n; ++i)
    {
        float q = positions[i];
        if (q >= length)
            q -= length;
        else if (q < 0.0f)
            q += length;
        // Anything still outside the ring (only a broken control could cause
        // it) reads the ring's start rather than memory beyond it.
        if (! (q >= 0.0f && q < length))
            q = 0.0f;
        positions[i] = q;
    }
    vec::interpolate (dst, line, positions, n);
}
} // namespace EffectBlock
