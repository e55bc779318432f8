#pragma once

#include "DspTestSupport.h"

#include "dsp/BlepOsc.h"
#include "dsp/DSPContext.h"

#include <algorithm>
#include <vector>

/** Renders a BlepOsc at a steady frequency in blocks, for the oscillator tests. */
struct OscRig
{
    DSPContext context;
    BlepOsc osc { context };
    std::vector<float> freq = std::vector<float> (BlepOsc::kMaxBlock);
    std::vector<float> pwm = std::vector<float> (BlepOsc::kMaxBlock);
    std::vector<float> sync = std::vector<float> (BlepOsc::kMaxBlock);

    /** total samples at frequencyHz; syncHz > 0 turns hard sync on to that master. */
    std::vector<float> render (OscMode mode, double frequencyHz, int total, float blend = 0.0f, float width = 0.5f,
                               int block = 512, double syncHz = 0.0)
    {
        std::fill (freq.begin(), freq.end(), (float) dsptest::cycles (frequencyHz));
        std::fill (sync.begin(), sync.end(), (float) dsptest::cycles (syncHz));
        osc.setSync (syncHz > 0.0);
        const float* syncInput = syncHz > 0.0 ? sync.data() : nullptr;
        return dsptest::renderInBlocks (
            [&] (int n) {
                osc.setParams (mode, blend, width);
                osc.setInputs (freq.data(), nullptr, syncInput);
                return osc.render (n);
            },
            total, block);
    }
};
