#include "dsp/NoiseGen.h"

#include "dsp/OscTables.h"
#include "dsp/SafeMath.h"
#include "params/ParameterTable.h"

#include <algorithm>

NoiseGen::NoiseGen (DSPContext& ctx)
    : KWDSPModuleBase (ctx), table (OscTables::noise()), filter (ctx, BiqFilter::lowPass)
{
}

const float* NoiseGen::render (int n) noexcept
{
    n = std::clamp (n, 0, kMaxBlock);
    float* out = output.get();
    for (int i = 0; i < n; ++i)
    {
        if (readIndex > kWrapIndex)
            readIndex = 0;
        out[i] = table[readIndex++];
    }

    const float c = clampOrLow (color, 0.0f, 1.0f);
    if (c == 0.5f || n == 0)
        return out;

    const bool highPass = c > 0.5f;
    filter.setMode (highPass ? BiqFilter::highPass : BiqFilter::lowPass);
    if (highPass && lastColor <= 0.5f)
        filter.reset();
    lastColor = c;
    const float x = highPass ? 2.0f * (c - 0.5f) : 2.0f * c;
    // The colour range maps onto the whole cutoff range, 32 Hz .. 19.9 kHz.
    filter.process (cutoffToHz (x), 0.9f, out, n);
    return out;
}
