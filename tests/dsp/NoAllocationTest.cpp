#include "RealtimeMonitor.h"

#include "dsp/ADSREnvelope.h"
#include "dsp/DSPContext.h"
#include "dsp/FilterFX.h"
#include "dsp/GenericOsc.h"
#include "dsp/NoiseGen.h"
#include "dsp/VexmoorADSR.h"
#include "dsp/VexmoorLinADSR.h"

#include <gtest/gtest.h>

#include <vector>

TEST (DspModules, RenderWithoutAllocating)
{
    if (! RealtimeMonitor::isAvailable())
        GTEST_SKIP() << "allocation counting is not available in this build";

    DSPContext context;
    GenericOsc osc (context);
    FilterFX filter (context);
    NoiseGen noise (context);
    VexmoorADSR amp (context);
    VexmoorLinADSR lin (context);
    ADSREnvelope expo (context);
    std::vector<float> freq (512, 0.01f), cutoff (512, 0.5f), buffer (512);

    RealtimeMonitor::start();
    for (int mode = 0; mode < 4; ++mode)
    {
        osc.setMulti (mode % 2 == 0);
        osc.setParams (oscModeFromType (mode), 0.2f, 0.4f);
        osc.setInputs (freq.data(), nullptr, nullptr);
        osc.reset();
        const float* y = osc.render (512);
        std::copy (y, y + 512, buffer.begin());
    }
    for (int type = 0; type < FilterFX::typeCount; ++type)
    {
        filter.setType (type);
        filter.process (buffer.data(), cutoff.data(), 512, 0.5f);
    }
    noise.setColor (0.2f);
    noise.render (512);
    amp.setAttack (0.01f);
    amp.process (512);
    lin.setParams (0.1f, 0.1f, 0.5f, 0.1f);
    lin.process (512);
    expo.setParams (0.1f, 0.1f, 0.5f, 0.1f);
    expo.process (512);
    EXPECT_EQ (RealtimeMonitor::stop().allocations, 0);
}
