#pragma once

#include "dsp/ADSREnv.h"
#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

/** The exponential filter envelope ("Flt env slope" "2"): linear attack, then a
    decay that covers 90 % of the way to the sustain level in the decay time,
    and a release that falls to 10 % in the release time and never ends. */
class ADSREnvelope : public KWDSPModuleBase, public ADSREnv
{
public:
    explicit ADSREnvelope (DSPContext& context);

    void setParams (float attack, float decay, float sustain, float release) override;
    void release() override { stage = releaseStage; }
    /** Any value >= 0 releases at the end of the next block's decay. */
    void scheduleRelease (int samples) override { releaseArmed = samples; }
    float* process (int n) override;

    enum Stage
    {
        attackStage = 0,
        decayStage = 1, // decay, then sustain
        releaseStage = 2
    };
    int getStage() const noexcept { return stage; }
    float getLevel() const noexcept { return level; }

    static constexpr int kGroup = 32;

private:
    AlignedBuffer<float> output { kMaxBlock };
    int stage = attackStage;
    float level = 0.0f;
    int attackSamples = 0;
    float attackInc = 0.0f;
    float sustain = 0.0f;
    // Powers of the per-sample factor for one group of 32 samples; after each
    // group every power moves on by the 32nd power.
    float decayPow[kGroup] {};
    float decayPow32 = 0.0f;
    int decayPhase = 0;
    float releasePow[kGroup] {};
    float releasePow32 = 0.0f;
    int releasePhase = 0;
    int releaseArmed = -1;
};
