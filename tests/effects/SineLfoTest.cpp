#include "dsp/DSPContext.h"
#include "effects/SineLfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST (SineLfo, RendersTheSetFrequencyContinuouslyAcrossBlocks)
{
    DSPContext context;
    SineLfo lfo (context);
    lfo.setFreq (100.0f, 48000.0f);

    std::vector<float> rendered;
    for (int block = 0; block < 4; ++block)
    {
        const float* out = lfo.render (480);
        rendered.insert (rendered.end(), out, out + 480);
    }

    // 1920 samples are four periods of 100 Hz at 48 kHz.
    for (size_t i = 0; i < rendered.size(); ++i)
        ASSERT_NEAR (rendered[i], std::sin (2.0 * M_PI * 100.0 * (double) i / 48000.0), 1.0e-3) << "sample " << i;
    EXPECT_NEAR (std::remainder (lfo.getPhase(), 1.0f), 0.0f, 1.0e-4f);
}
