#include "engine/VexmoorPatch.h"
#include "params/KWParamValueMapper.h"
#include "params/ParamIndex.h"

#include <gtest/gtest.h>

TEST (KWParam, SetValueClampsGroupAButNotGroupB)
{
    VexmoorPatch patch;
    auto& width = patch.param (ParamIndex::osc1Width);
    width.setValue (1.7f);
    EXPECT_EQ (width.getValue(), 1.0f);
    width.setValue (-0.2f);
    EXPECT_EQ (width.getValue(), 0.0f);
    width.setValueB (1.7f);
    EXPECT_EQ (width.getValueB(), 1.7f);
    EXPECT_EQ (patch.slotB[ParamIndex::osc1Width].load(), 1.7f);
}

TEST (KWParam, WritesEngineAndIntegerFormsIntoTheSlots)
{
    VexmoorPatch patch;
    patch.param (ParamIndex::osc2Semi).setValue (0.75f);
    EXPECT_FLOAT_EQ (patch.slotA[ParamIndex::osc2Semi].load(), 6.0f);
    EXPECT_EQ (patch.slotInt[ParamIndex::osc2Semi].load(), 6);

    patch.param (ParamIndex::flt1Type).setFromInt (13);
    EXPECT_EQ (patch.slotInt[ParamIndex::flt1Type].load(), 13);
    EXPECT_EQ (patch.param (ParamIndex::flt1Type).getText (patch.param (ParamIndex::flt1Type).getValue(), 64),
               "LP+RESAMPLE");
}

TEST (KWParam, AmpMapperFloorsSilenceAtMinusEighty)
{
    VexmoorPatch patch;
    auto& amp = patch.param (ParamIndex::amp);
    EXPECT_EQ (amp.getMapper().fromEngine (0.00005f), -80.0f);
    amp.setFromEngine (0.00005f);
    EXPECT_EQ (amp.getValue(), 0.0f);
}

TEST (KWParam, SwapExchangesBothGroups)
{
    VexmoorPatch patch;
    auto& a = patch.param (ParamIndex::filter1Cutoff);
    auto& b = patch.param (ParamIndex::filter2Cutoff);
    a.setValue (0.1f);
    a.setValueB (0.2f);
    b.setValue (0.7f);
    b.setValueB (0.8f);
    a.swapWith (b);
    EXPECT_EQ (a.getValue(), 0.7f);
    EXPECT_EQ (a.getValueB(), 0.8f);
    EXPECT_EQ (b.getValue(), 0.1f);
    EXPECT_EQ (b.getValueB(), 0.2f);
}

TEST (KWParamValueMapper, MappersInvertTheirOwnLaws)
{
    const KWParamExpValueMapper exp (0.0f, 5.0f);
    const KWParamExpValueMapper2 exp2 (0.03f, 15.0f);
    const KWParamAmpValueMapper amp;
    const KWParamScalarValueMapper scalar (24.0f, -12.0f);
    const KWParamValueMapper* mappers[] = { &exp, &exp2, &amp, &scalar };
    for (const auto* m : mappers)
        for (float v : { 0.05f, 0.3f, 0.5f, 0.9f, 1.0f })
            EXPECT_NEAR (m->fromEngine (m->toEngine (v)), v, 2e-6f);
}

TEST (KWParamValueMapper, IntegerFormsOfBaseAndScalarMappers)
{
    const KWParamValueMapper base;
    EXPECT_EQ (base.toInt (0.49f, 3), 0);
    EXPECT_EQ (base.toInt (0.5f, 3), 1);
    EXPECT_EQ (base.toInt (1.0f, 3), 2);
    EXPECT_EQ (base.fromInt (2, 5), 0.5f);
    EXPECT_EQ (base.fromInt (7, 0), 7.0f);
    for (int steps = 2; steps <= 18; ++steps)
        for (int i = 0; i < steps; ++i)
            EXPECT_EQ (base.toInt (base.fromInt (i, steps), steps), i) << steps;

    const KWParamScalarValueMapper taps (3.0f, 1.0f);
    EXPECT_EQ (taps.toInt (0.99f, 0), 3);
    EXPECT_FLOAT_EQ (taps.fromInt (4, 0), 1.0f);
}
