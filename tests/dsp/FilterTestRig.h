#pragma once

#include "DspTestSupport.h"

#include "dsp/DSPContext.h"
#include "dsp/FilterFX.h"

#include <algorithm>
#include <vector>

/** One FilterFX unit with a steady cutoff, for the filter tests. */
struct FilterRig
{
    DSPContext context;
    FilterFX filter { context };
    std::vector<float> cutoff = std::vector<float> (8192, 0.0f);

    explicit FilterRig (int type, int is24dB = 0)
    {
        filter.setType (type);
        filter.set24dB (is24dB);
    }

    void setCutoff (float u) { std::fill (cutoff.begin(), cutoff.end(), u); }

    /** Filters x in place in blocks at cutoff u. */
    void run (std::vector<float>& x, float u, float resonance, int block = 512)
    {
        setCutoff (u);
        for (int pos = 0; pos < (int) x.size(); pos += block)
            filter.process (x.data() + pos, cutoff.data(), std::min (block, (int) x.size() - pos), resonance);
    }

    /** Steady-state gain in dB for a sine at frequencyHz. */
    double gainAt (double frequencyHz, float u, float resonance, double amplitude = 1.0)
    {
        setCutoff (u);
        return dsptest::gainDb ([&] (float* data, int n) { filter.process (data, cutoff.data(), n, resonance); },
                                dsptest::cycles (frequencyHz), 512, amplitude);
    }
};
