#include "dsp/VexmoorLinADSR.h"

#include "dsp/SafeMath.h"
#include "dsp/VectorOps.h"

#include <algorithm>

VexmoorLinADSR::VexmoorLinADSR (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void VexmoorLinADSR::setParams (float a, float d, float s, float r)
{
    a = clampOrLow (a, 0.0f, kMaxSeconds);
    d = clampOrLow (d, 0.0f, kMaxSeconds);
    s = clampOrLow (s, 0.0f, 1.0f);
    r = clampOrLow (r, 0.0f, kMaxSeconds);

    stage = a < 0.02f ? Decay : Attack;
    if (stage == Decay && d < 0.02f)
        stage = Sustain;

    attackSamples = (int) (sampleRate * a);
    decaySamples = (int) (sampleRate * d);
    releaseSamples = (int) (sampleRate * r);
    attackInc = attackSamples > 0 ? 1.0f / (float) attackSamples : 0.0f;
    decayInc = decaySamples > 0 ? (1.0f - s) / (float) decaySamples : 0.0f;
    releaseInc = releaseSamples > 0 ? s / (float) releaseSamples : 0.0f;

    switch (stage)
    {
        case Attack:
            level = 0.0f;
            counter = attackSamples;
            break;
        case Decay:
            level = 1.0f;
            counter = decaySamples;
            break;
        default:
            level = s;
            break;
    }
    countdown.set (-1);
}

void VexmoorLinADSR::release()
{
    stage = Release;
    counter = releaseSamples;
    releaseInc = releaseSamples > 0 ? level / (float) releaseSamples : level;
}

void VexmoorLinADSR::releaseWhenDue() noexcept
{
    if (countdown.expired())
        release();
}

float* VexmoorLinADSR::process (int n)
{
    n = std::clamp (n, 0, kMaxBlock);
    float* out = output.get();
    int pos = 0;
    while (pos < n)
    {
        switch (stage)
        {
            case Attack:
            case Decay:
            {
                const float inc = stage == Attack ? attackInc : -decayInc;
                const int k = countdown.take (std::min (counter, n - pos));
                vec::ramp (out + pos, level, inc, k);
                level += (float) k * inc;
                pos += k;
                counter -= k;
                if (counter <= 0)
                {
                    if (stage == Attack)
                    {
                        stage = Decay;
                        counter = decaySamples;
                    }
                    else
                    {
                        stage = Sustain;
                    }
                }
                releaseWhenDue();
                break;
            }
            case Sustain:
            {
                const int k = countdown.take (n - pos);
                vec::fill (out + pos, level, k);
                pos += k;
                releaseWhenDue();
                break;
            }
            case Release:
            {
                if (level >= 0.0f)
                {
                    const int k = std::max (0, std::min (counter, n - pos));
                    vec::ramp (out + pos, level, -releaseInc, k);
                    level -= (float) k * releaseInc;
                    counter -= k;
                    pos += k;
                }
                if (counter <= 0 || level < 0.0f)
                    stage = Done;
                break;
            }
            default:
                level = 0.0f;
                vec::fill (out + pos, 0.0f, n - pos);
                pos = n;
                break;
        }
    }
    return out;
}
