#pragma once

#include <algorithm>

/** The envelope generators' common interface: the voice configures, releases
    and renders its envelopes through it, one control value per sample. */
class ADSREnv
{
public:
    virtual ~ADSREnv() = default;

    /** Times in seconds, sustain 0..1; restarts from the first stage. */
    virtual void setParams (float attack, float decay, float sustain, float release) = 0;
    /** Enters the release stage. */
    virtual void release() = 0;
    /** Releases automatically after the given number of samples; -1 cancels. */
    virtual void scheduleRelease (int samples) = 0;
    /** Renders n values (at most kMaxBlock) into the envelope's own buffer. */
    virtual float* process (int n) = 0;

    /** Stages of the envelopes that finish (VexmoorADSR, VexmoorLinADSR). */
    enum Stage
    {
        Attack = 0,
        Decay = 1,
        Sustain = 2,
        Release = 3,
        Done = 4
    };

    static constexpr int kMaxBlock = 4096;
    /** Times beyond this many seconds are taken as this (keeps sample counts in range). */
    static constexpr float kMaxSeconds = 600.0f;

protected:
    ADSREnv() = default;
    ADSREnv (const ADSREnv&) = default;
    ADSREnv& operator= (const ADSREnv&) = default;
};

/** The automatic release requested by scheduleRelease: counts off the samples
    the envelope stages produce and says when the release is due. */
class ReleaseCountdown
{
public:
    /** Samples until the release; -1 stops the countdown. */
    void set (int samples) noexcept { remaining = samples; }
    /** k, shortened to the samples left before the release, which it counts off. */
    int take (int k) noexcept
    {
        if (remaining >= 0)
        {
            k = std::min (k, remaining);
            remaining -= k;
        }
        return k;
    }
    /** True once, when the count has run out; the countdown then stops. */
    bool expired() noexcept
    {
        if (remaining != 0)
            return false;
        remaining = -1;
        return true;
    }

private:
    int remaining = -1;
};
