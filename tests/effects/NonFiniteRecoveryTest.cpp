#include "ChainTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace ParamIndex;
using EffectTest::ChainRig;

namespace
{
struct BadValue
{
    int frame, channel;
    float value;
};

class NonFiniteBlock : public ::testing::TestWithParam<BadValue>
{
};
} // namespace

TEST_P (NonFiniteBlock, ComesOutAsSilenceWhereverTheValueIs)
{
    const auto bad = GetParam();
    ChainRig rig;
    rig.values.everythingOn (1);
    auto warmUp = EffectTest::noise (2 * 4096);
    rig.run (warmUp);

    auto block = EffectTest::noise (2 * 512, 0.5f, 3u);
    block[(size_t) (2 * bad.frame + bad.channel)] = bad.value;
    rig.run (block);
    for (const float v : block)
        ASSERT_EQ (v, 0.0f);
}

INSTANTIATE_TEST_SUITE_P (MasterEffectChain, NonFiniteBlock,
                          ::testing::Values (BadValue { 0, 0, std::numeric_limits<float>::quiet_NaN() },
                                             BadValue { 200, 1, std::numeric_limits<float>::quiet_NaN() },
                                             BadValue { 511, 1, -std::numeric_limits<float>::quiet_NaN() }));

TEST (MasterEffectChain, InfiniteInputIsLimitedNotSilenced)
{
    ChainRig rig;
    std::vector<float> block ((size_t) (2 * 512), 0.25f);
    block[300] = std::numeric_limits<float>::infinity();
    block[301] = -std::numeric_limits<float>::infinity();
    rig.run (block);
    EXPECT_EQ (block[300], 20.0f);
    EXPECT_EQ (block[301], -20.0f);
    EXPECT_EQ (block[0], 0.25f);
}

TEST (MasterEffectChain, AfterANonFiniteBlockEveryMemoryStartsEmpty)
{
    // With an insert that has no sine running, the chain after the recovery
    // must play exactly like a new chain.
    ChainRig recovered, fresh;
    recovered.values.everythingOn (1);
    fresh.values.everythingOn (1);

    auto warmUp = EffectTest::noise (2 * 8192);
    recovered.run (warmUp);
    auto bad = EffectTest::noise (2 * 512, 0.5f, 4u);
    bad[333] = std::numeric_limits<float>::quiet_NaN();
    recovered.run (bad);

    auto afterRecovery = EffectTest::noise (2 * 8192, 0.5f, 5u);
    auto onFresh = afterRecovery;
    recovered.run (afterRecovery);
    fresh.run (onFresh);
    EXPECT_EQ (afterRecovery, onFresh);
}

TEST (MasterEffectChain, AfterANonFiniteBlockSilenceStaysSilentWithEveryInsert)
{
    for (int type = 0; type <= 4; ++type)
    {
        ChainRig rig;
        rig.values.everythingOn (type);
        auto warmUp = EffectTest::noise (2 * 8192);
        rig.run (warmUp);
        std::vector<float> bad ((size_t) (2 * 512), 0.0f);
        bad[517] = std::numeric_limits<float>::quiet_NaN();
        rig.run (bad);

        std::vector<float> silence ((size_t) (2 * 44100), 0.0f);
        rig.run (silence);
        EXPECT_EQ (EffectTest::peak (silence, 0, 0, 44100) + EffectTest::peak (silence, 1, 0, 44100), 0.0f) << "type " << type;
    }
}
