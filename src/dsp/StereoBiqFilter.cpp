#include "dsp/StereoBiqFilter.h"

#include <algorithm>

StereoBiqFilter::StereoBiqFilter (DSPContext& ctx)
    : left (ctx, BiqFilter::highPass), right (ctx, BiqFilter::highPass)
{
}

void StereoBiqFilter::setMode (int mode) noexcept
{
    left.setMode (mode);
    right.setMode (mode);
}

void StereoBiqFilter::reset() noexcept
{
    left.reset();
    right.reset();
}

void StereoBiqFilter::process (float freq, float bandwidth, float* interleaved, int n) noexcept
{
    float* l = leftBuffer.get();
    float* r = rightBuffer.get();
    // Longer buses run as consecutive slices of the work buffers.
    for (int pos = 0; pos < n; pos += kMaxFrames)
    {
        const int count = std::min (kMaxFrames, n - pos);
        float* frames = interleaved + 2 * pos;
        for (int i = 0; i < count; ++i)
        {
            l[i] = frames[2 * i];
            r[i] = frames[2 * i + 1];
        }
        left.process (freq, bandwidth, l, count);
        right.process (freq, bandwidth, r, count);
        for (int i = 0; i < count; ++i)
        {
            frames[2 * i] = l[i];
            frames[2 * i + 1] = r[i];
        }
    }
}
