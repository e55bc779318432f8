#include "dsp/BlepResidual.h"

#include "dsp/MinimumPhaseStep.h"
#include "dsp/OscTables.h"
#include "dsp/SafeMath.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

BlepResidual::BlepResidual()
    : rows (OscTables::stepResidualRows()), shortTable (OscTables::shortStep())
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
    // The taps of this edge, interpolated between the residual's rows for the
    // two neighbouring phases; they lie side by side, so this runs through
    // the vector unit.
    const float* lower = rows + base * OscTables::kResidualRowSize;
    const float* upper = lower + OscTables::kResidualRowSize;
    float taps[kLongTaps];
    for (int j = 0; j < kLongTaps; ++j)
        taps[j] = lower[j] + (upper[j] - lower[j]) * fraction;

    // Taps beyond what is still pending replace data left over from
    // corrections already played; the others add to the sounding ones. The
    // ring wraps at most once within the taps.
    float* r = ring.get();
    const int keep = std::min (pending, kLongTaps);
    const int firstRun = std::min (kLongTaps, kRingSize - readPos);
    auto spread = [&] (int from, int to, int slot) {
        for (int j = from; j < std::min (to, keep); ++j, ++slot)
            r[slot] += amplitude * taps[j];
        for (int j = std::max (from, keep); j < to; ++j, ++slot)
            r[slot] = 0.0f + amplitude * taps[j];
    };
    spread (0, firstRun, readPos);
    spread (firstRun, kLongTaps, 0);
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

    // At most one wrap of the ring within the pending taps.
    const int k = std::min (n, pending);
    const float* r = ring.get();
    const int firstRun = std::min (k, kRingSize - readPos);
    for (int i = 0; i < firstRun; ++i)
        out[i] += r[readPos + i];
    for (int i = firstRun; i < k; ++i)
        out[i] += r[i - firstRun];
    readPos = (readPos + k) & (kRingSize - 1);
    pending -= k;
}
