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
    n = std::min (n, kMaxFrames);
    float* l = leftBuffer.get();
    float* r = rightBuffer.get();
    for (int i = 0; i < n; ++i)
    {
        l[i] = interleaved[2 * i];
        r[i] = interleaved[2 * i + 1];
    }
    left.process (freq, bandwidth, l, n);
    right.process (freq, bandwidth, r, n);
    for (int i = 0; i < n; ++i)
    {
        interleaved[2 * i] = l[i];
        interleaved[2 * i + 1] = r[i];
    }
}
