#include "ChainTestSupport.h"

#include <gtest/gtest.h>

using namespace ParamIndex;
using EffectTest::ChainRig;

TEST (MasterEffectChain, PanicSilencesEveryEffectMemory)
{
    for (int type = 0; type <= 4; ++type)
    {
        ChainRig rig;
        rig.values.everythingOn (type);
        rig.values.set (fxSplit, 0.5f); // the split's own memory is not the panic's
        auto loud = EffectTest::noise (2 * 16384);
        rig.run (loud);

        rig.chain.panic();
        std::vector<float> silence ((size_t) (2 * 44100), 0.0f);
        rig.run (silence);
        EXPECT_EQ (EffectTest::peak (silence, 0, 0, 44100) + EffectTest::peak (silence, 1, 0, 44100), 0.0f) << "type " << type;
    }
}

TEST (MasterEffectChain, WithoutPanicTheTailsRingOn)
{
    ChainRig rig;
    rig.values.delayOn (0.6f, 0.8f);
    rig.values.reverbOn (0.6f);
    auto loud = EffectTest::noise (2 * 16384);
    rig.run (loud);
    std::vector<float> silence ((size_t) (2 * 8192), 0.0f);
    rig.run (silence);
    EXPECT_GT (EffectTest::peak (silence, 0, 0, 8192), 1.0e-3f);
}
