#include "dsp/DistFilter.h"

#include "dsp/VectorOps.h"

#include <algorithm>

DistFilter::DistFilter (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void DistFilter::process (float* x, int n, float drive) noexcept
{
    // Rounded to float: d, then its fourth power in float.
    const auto d = (float) (1.0 - (double) drive * 0.9);
    const float floor = d * d * d * d;
    float* m = magnitude.get();
    for (int pos = 0; pos < n; pos += kMaxBlock)
    {
        const int count = std::min (kMaxBlock, n - pos);
        vec::abs (m, x + pos, count);
        vec::addScalar (m, m, floor, count);
        vec::divide (x + pos, x + pos, m, count);
    }
}
