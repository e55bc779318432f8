#include "dsp/BlepResidual.h"

#include "dsp/MinimumPhaseStep.h"
#include "dsp/OscTables.h"
#include "dsp/SafeMath.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

BlepResidual::BlepResidual()
    : residual (OscTables::stepResidual()), shortTable (OscTables::shortStep())
{
    clear();
}

void BlepResidual::clear() noexcept
{
    ring.clear();
    readPos = 0;
    pending = 0;
    shortTaps = 0;
    shortPos = 0;
    shortAmplitude = 0.0f;
}

void BlepResidual::addStep (float offset, float amplitude) noexcept
{
    if (! (offset >= 0.0f && offset <= 1.0f))
        offset = 0.0f;

    if (shortMode)
    {
        // A new jump replaces a short correction still sounding. An offset of
        // exactly one sample uses the last row rather than one past the table.
        const int row = std::min ((int) ((double) offset * 128.0), OscTables::kShortStepRows - 1);
        shortAmplitude = amplitude;
        shortTaps = OscTables::kShortStepTaps;
        shortPos = row * OscTables::kShortStepTaps;
        return;
    }

    const float scaled = (float) MinimumPhaseStep::kOversampling * offset;
    const int base = floorToInt (scaled);
    const float fraction = scaled - (float) base;
    for (int j = 0; j < kLongTaps; ++j)
    {
        const int at = base + MinimumPhaseStep::kOversampling * j;
        const float r = residual[at] + (residual[at + 1] - residual[at]) * fraction;
        const int slot = (readPos + j) & (kRingSize - 1);
        if (j >= pending)
            ring[(std::size_t) slot] = 0.0f; // left over from corrections already played
        ring[(std::size_t) slot] += amplitude * r;
    }
    pending = kLongTaps;
}

void BlepResidual::mixInto (float* out, int n) noexcept
{
    if (shortMode)
    {
        int i = 0;
        for (; shortTaps > 0 && i < n; ++i, --shortTaps)
            out[i] += shortTable[shortPos++] * shortAmplitude;
        return;
    }

    const int k = std::min (n, pending);
    for (int i = 0; i < k; ++i)
    {
        out[i] += ring[(std::size_t) readPos];
        readPos = (readPos + 1) & (kRingSize - 1);
    }
    pending -= k;
}
