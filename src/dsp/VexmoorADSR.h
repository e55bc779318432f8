#pragma once

#include "dsp/ADSREnv.h"
#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

/** The amplitude envelope: an attack read from a fixed analog-style curve,
    exponential decay and release, and a sustain level that acts
    quadratically (sustain 0.5 settles near 0.25). */
class VexmoorADSR : public KWDSPModuleBase, public ADSREnv
{
public:
    explicit VexmoorADSR (DSPContext& context);

    /** The four setters, in this order. */
    void setParams (float attack, float decay, float sustain, float release) override;
    void release() override;
    void scheduleRelease (int samples) override { countdown.set (samples); }
    float* process (int n) override;

    /** Seconds; below 1 ms the envelope starts at full level. */
    void setAttack (float seconds) noexcept;
    /** Seconds, at least 0.05. */
    void setDecay (float seconds) noexcept;
    /** Level 0..1 (at least 0.0005); the decay ends near its square. */
    void setSustain (float level) noexcept;
    /** Seconds, at least 0.05; the release ends after 1.5 times this at the latest. */
    void setRelease (float seconds) noexcept;

    int getStage() const noexcept { return stage; }
    float getLevel() const noexcept { return level; }

    /** The attack curve, kAttackTableSize values rising from 0 to just above 1. */
    static const float* attackTable() noexcept;
    static constexpr int kAttackTableSize = 44110;

private:
    /** out[i] = start * factor^(i + 1), one rounded product after the other;
        returns the last. */
    static float multiplyRun (float* out, float start, float factor, int k) noexcept;
    void applyStartState() noexcept;
    void releaseWhenDue() noexcept;

    const float* atk;
    AlignedBuffer<float> output { kMaxBlock };
    int stage = Sustain;
    int startStage = Sustain;
    int counter = 0;
    float level = 1.0f;
    ReleaseCountdown countdown;
    float attack = 0.0f;
    int attackSamples = 0;
    float attackPos = 0.0f;
    float attackStep = 0.0f;
    float decay = 0.05f;
    int decaySamples = 0;
    float decayFactor = 1.0f;
    float sustain = 1.0f;
    float releaseTime = 0.05f;
    int releaseSamples = 0;
    float releaseFactor = 1.0f;
};
