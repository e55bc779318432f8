#pragma once

#include "dsp/ADSREnv.h"
#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

/** The linear filter envelope ("Flt env slope" "1"): straight-line attack,
    decay and release; the release always takes its full time from the level
    it starts at. */
class VexmoorLinADSR : public KWDSPModuleBase, public ADSREnv
{
public:
    explicit VexmoorLinADSR (DSPContext& context);

    void setParams (float attack, float decay, float sustain, float release) override;
    void release() override;
    void scheduleRelease (int samples) override { countdown.set (samples); }
    float* process (int n) override;

    int getStage() const noexcept { return stage; }
    float getLevel() const noexcept { return level; }

private:
    void releaseWhenDue() noexcept;

    AlignedBuffer<float> output { kMaxBlock };
    int stage = Attack;
    float level = 0.0f;
    int counter = 0;
    ReleaseCountdown countdown;
    int attackSamples = 0, decaySamples = 0, releaseSamples = 0;
    float attackInc = 0.0f, decayInc = 0.0f, releaseInc = 0.0f;
};
