#include "dsp/VexmoorADSR.h"

#include "dsp/SafeMath.h"
#include "dsp/VectorOps.h"

#include <algorithm>
#include <cmath>

namespace
{
struct AttackTable
{
    AlignedBuffer<float> values { VexmoorADSR::kAttackTableSize };

    AttackTable()
    {
        // A one-pole charge towards 1/0.63 over one second at 44.1 kHz: the
        // curve reaches 1 near its end. The accumulator is a double.
        double acc = 0.0;
        for (int i = 0; i < VexmoorADSR::kAttackTableSize; ++i)
        {
            acc += (1.5873015873015872 - acc) * 2.2675736961451248e-05;
            values[(std::size_t) i] = (float) acc;
        }
    }
};

constexpr int kAttackRun = 32;
// The attack curve is read up to this position (44099 = its length at 44.1 kHz).
constexpr float kAttackSpan = 44099.0f;
} // namespace

float VexmoorADSR::multiplyRun (float* out, float start, float factor, int k) noexcept
{
    // The level lives in a register here: written through out, which the
    // compiler cannot tell apart from the member, it would make a round trip
    // through memory every sample.
    float v = start;
    for (int i = 0; i < k; ++i)
    {
        v *= factor;
        out[i] = v;
    }
    return v;
}

const float* VexmoorADSR::attackTable() noexcept
{
    static const AttackTable table;
    return table.values.get();
}

VexmoorADSR::VexmoorADSR (DSPContext& ctx) : KWDSPModuleBase (ctx), atk (attackTable())
{
    setAttack (0.0f);
    setDecay (0.0f);
    setRelease (0.0f);
    setSustain (1.0f);
}

void VexmoorADSR::setParams (float a, float d, float s, float r)
{
    setAttack (a);
    setDecay (d);
    setSustain (s);
    setRelease (r);
}

void VexmoorADSR::setAttack (float a) noexcept
{
    a = clampOrLow (a, 0.0f, kMaxSeconds);
    attackPos = 0.0f;
    attack = a;
    if (a < 0.001f)
    {
        attackSamples = 0;
    }
    else
    {
        attackSamples = (int) (sampleRate * a);
        // Rounded to float: the step through the curve per sample.
        attackStep = attackSamples > 0 ? (float) (1.0 / attackSamples * (double) kAttackSpan) : 0.0f;
    }
    applyStartState();
}

void VexmoorADSR::setDecay (float d) noexcept
{
    d = clampOrLow (d, 0.05f, kMaxSeconds);
    decay = d;
    decaySamples = (int) (sampleRate * d);
    // The logarithms are rounded to float before the division.
    decayFactor = 1.0f + ((float) std::log ((double) (sustain * sustain)) - (float) std::log (1.0)) / (sampleRate * d);
    applyStartState();
}

void VexmoorADSR::setSustain (float s) noexcept
{
    sustain = clampOrLow (s, 0.0005f, 1.0f);
    setDecay (decay);
    setRelease (releaseTime);
    applyStartState();
}

void VexmoorADSR::setRelease (float r) noexcept
{
    r = clampOrLow (r, 0.05f, kMaxSeconds);
    releaseTime = r;
    releaseSamples = (int) (sampleRate * r);
    releaseFactor = 1.0f + ((float) std::log (0.0005) - (float) std::log (1.0)) / (sampleRate * r);
}

void VexmoorADSR::applyStartState() noexcept
{
    startStage = attack < 0.001f ? Decay : Attack;
    if (startStage == Decay && sustain == 1.0f)
        startStage = Sustain;
    switch (startStage)
    {
        case Attack:
            level = 0.0f;
            counter = attackSamples;
            break;
        case Decay:
            counter = decaySamples;
            level = 1.0f;
            break;
        default:
            level = 1.0f;
            break;
    }
    stage = startStage;
    scheduleRelease (-1);
}

void VexmoorADSR::release()
{
    if (stage < Release)
    {
        stage = Release;
        counter = (int) (releaseSamples * 1.5);
    }
}

void VexmoorADSR::releaseWhenDue() noexcept
{
    if (countdown.expired())
        release();
}

float* VexmoorADSR::process (int n)
{
    n = std::clamp (n, 0, kMaxBlock);
    float* out = output.get();
    const int lastIndex = kAttackTableSize - 1;
    int pos = 0;
    while (pos < n)
    {
        switch (stage)
        {
            case Attack:
            {
                const int k = countdown.take (std::min (counter, n - pos));
                for (int done = 0; done < k;)
                {
                    const int run = std::min (kAttackRun, k - done);
                    const float e0 = atk[std::min ((int) attackPos, lastIndex)];
                    attackPos += (float) run * attackStep;
                    const float e1 = atk[std::min ((int) attackPos, lastIndex)];
                    // The step is 1/32 of the run's rise also for a shorter run.
                    vec::ramp (out + pos + done, e0, (e1 - e0) * 0.03125f, run);
                    done += run;
                }
                pos += k;
                counter -= k;
                level = atk[std::min ((int) attackPos, lastIndex)];
                if (counter <= 0)
                {
                    stage = Decay;
                    counter = decaySamples;
                }
                releaseWhenDue();
                break;
            }
            case Decay:
            {
                const int k = countdown.take (std::min (counter, n - pos));
                level = multiplyRun (out + pos, level, decayFactor, k);
                pos += k;
                counter -= k;
                if (counter <= 0)
                    stage = Sustain;
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
                const int k = n - pos;
                level = multiplyRun (out + pos, level, releaseFactor, k);
                pos = n;
                counter -= k;
                if (counter <= 0 || level < 0.0001f)
                    stage = Done;
                break;
            }
            default:
                vec::fill (out + pos, 0.0f, n - pos);
                pos = n;
                break;
        }
    }
    return out;
}
