#include "dsp/BlepOsc.h"

#include "dsp/DspRandom.h"
#include "dsp/OscTables.h"
#include "dsp/SafeMath.h"
#include "dsp/VectorOps.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kLevel = 0.6f; // saw and pulse swing between -0.6 and +0.6
// The FM/PM modulator is another oscillator's output, a few units at most;
// the bound keeps the phases far inside the range of exact table indexing.
constexpr float kMaxModulator = 8.0f;
} // namespace

BlepOsc::BlepOsc (DSPContext& ctx)
    : KWDSPModuleBase (ctx), residualArea (OscTables::stepResidualArea()), superSaw (ctx)
{
}

void BlepOsc::setParams (OscMode newMode, float newOctaveBlend, float newWidth) noexcept
{
    mode = newMode;
    octaveBlend = clampOrLow (newOctaveBlend, 0.0f, 1.0f);
    width = clampOrLow (newWidth, 0.0f, 1.0f);
}

void BlepOsc::setInputs (const float* freq, const float* pwm, const float* sync) noexcept
{
    freqIn = freq;
    pwmIn = pwm;
    syncIn = sync;
}

void BlepOsc::reset() noexcept
{
    level = 0.0f;
    phaseOffset = 0.0f;
    residual.clear();
    fresh = true;
    periodCounter = -1.0f;
    syncCounter = -1.0f;
    superSaw.reset();
}

float BlepOsc::frequencyAt (int i) const noexcept
{
    return clampOrLow (freqIn[i], kMinFrequency, kMaxFrequency);
}

float BlepOsc::syncFrequencyAt (int i) const noexcept
{
    return clampOrLow (syncIn[i], kMinFrequency, kMaxFrequency);
}

float BlepOsc::widthAt (int i) const noexcept
{
    return pwmIn != nullptr ? clampOrLow (pwmIn[i], 0.0f, 1.0f) : width;
}

void BlepOsc::beginCycle (float firstSegment, bool sync) noexcept
{
    periodCounter = firstSegment;
    if (randomStart)
    {
        periodCounter = (float) DspRandom::next() * periodCounter / (float) DspRandom::kMax * 0.25f;
        // A start right at the edge would make the first saw ramp infinitely steep.
        periodCounter = std::max (periodCounter, 1e-3f);
    }
    level = -kLevel;
    segment = 0;
    if (sync)
        syncCounter = 1.0f / syncFrequencyAt (0);
}

float BlepOsc::timeToNextEdge (bool sync) const noexcept
{
    return sync && syncCounter < periodCounter ? syncCounter : periodCounter;
}

const float* BlepOsc::render (int n) noexcept
{
    n = std::clamp (n, 0, kMaxBlock);
    float* out = output.get();
    if (n == 0)
        return out;
    if (mode == OscMode::Off || freqIn == nullptr)
    {
        vec::fill (out, 0.0f, n);
        return out;
    }

    residual.setShort (shortBlep);

    // Sync counts only with a master to follow; switching it restarts the wave.
    syncActive = syncEnabled && syncIn != nullptr;
    if (mode != lastMode || syncActive != lastSync)
        reset();
    lastMode = mode;
    lastSync = syncActive;

    switch (mode)
    {
        case OscMode::Saw: renderSaw (out, n); break;
        case OscMode::Pulse: renderPulse (out, n); break;
        case OscMode::SineTri: renderSineTri (out, n); break;
        case OscMode::SuperSaw:
            return deferHighPass ? superSaw.renderUnfiltered (freqIn, octaveBlend, width, n)
                                 : superSaw.render (freqIn, octaveBlend, width, n);
        case OscMode::Off: break;
    }
    return out;
}

void BlepOsc::renderSaw (float* out, int n) noexcept
{
    const float s = octaveBlend;
    const bool sync = syncActive;
    // Every band-limited edge lags the naive one by the residual's area, which
    // would lift the ramps by slope * area: a DC offset growing with pitch. The
    // ramps are lowered by as much, so the saw stays centred at any pitch.
    const float lag = residual.isShort() ? OscTables::kShortStepArea : residualArea;

    if (periodCounter == -1.0f)
    {
        beginCycle ((float) (1.0 / (double) frequencyAt (0)), sync);
        slope = (2.0f - 2.0f * s) * (1.0f / periodCounter * kLevel);
    }

    int pos = 0;
    while (pos < n)
    {
        // Frequencies are capped at Nyquist, so a segment is always at least
        // two samples long and the time to the next edge is positive here.
        const int k = (int) std::ceil (timeToNextEdge (sync));
        int chunk = n - pos;
        if (chunk > k && k > 0)
            chunk = k;

        const float top = kLevel * (1.0f - (float) (1 - segment) * s);
        vec::ramp (out + pos, top - slope * (periodCounter + lag), slope, chunk);
        residual.mixInto (out + pos, chunk);

        pos += chunk;
        periodCounter -= (float) chunk;
        syncCounter -= (float) chunk;
        const int idx = pos < n ? pos : n - 1;
        const float period = (float) (1.0 / (double) frequencyAt (idx));

        if (sync && syncCounter <= 0.0f)
        {
            // Hard sync: back to the start of segment 0, wherever the ramp was.
            const float now = top - slope * periodCounter;
            residual.addStep (-syncCounter, now + kLevel);
            segment = 0;
            level = -kLevel;
            slope = (1.0f - 0.5f * s) * 1.2f / period;
            periodCounter = period + syncCounter;
            syncCounter = 1.0f / syncFrequencyAt (idx) + syncCounter;
        }
        else if (periodCounter <= 0.0f)
        {
            segment ^= 1;
            const float from = segment == 0 ? kLevel : kLevel * (1.0f - s);
            const float to = segment == 0 ? -kLevel : -kLevel * (1.0f - s);
            residual.addStep (-periodCounter, from - to);
            level = to;
            periodCounter += period;
            slope = (1.0f - 0.5f * s) * 1.2f / period;
        }
    }
}

void BlepOsc::renderPulse (float* out, int n) noexcept
{
    const float s = octaveBlend;
    const bool sync = syncActive;
    pulseWidth = width * 0.5f * 0.99f + 0.01f;

    if (periodCounter == -1.0f)
    {
        if (pwmIn != nullptr)
            pulseWidth = widthAt (0) * 0.5f * 0.99f + 0.01f;
        beginCycle (0.5f / frequencyAt (0) * pulseWidth, sync);
    }

    int pos = 0;
    while (pos < n)
    {
        // Several edges can fall into one sample: a zero-length chunk then only
        // processes the edge.
        const int chunk = std::clamp ((int) std::ceil (timeToNextEdge (sync)), 0, n - pos);

        vec::fill (out + pos, level, chunk);
        residual.mixInto (out + pos, chunk);

        pos += chunk;
        periodCounter -= (float) chunk;
        syncCounter -= (float) chunk;
        const int idx = pos < n ? pos : n - 1;
        const float f = frequencyAt (idx);

        if (sync && syncCounter <= 0.0f)
        {
            const float next = kLevel * s - kLevel * (1.0f - s);
            residual.addStep (-syncCounter, level - next);
            level = next;
            segment = 0;
            periodCounter = (float) (1.0 / (double) f) + syncCounter;
            syncCounter = 1.0f / syncFrequencyAt (idx) + syncCounter;
        }
        else if (periodCounter <= 0.0f)
        {
            float next;
            switch (segment)
            {
                case 0: next = kLevel * (1.0f - 2.0f * s); break;
                case 1: next = -kLevel; break;
                case 2: next = kLevel; break;
                default: next = kLevel * (2.0f * s - 1.0f); break;
            }
            if (pwmIn != nullptr)
                pulseWidth = widthAt (idx) * 0.5f * 0.99f + 0.01f;
            const int entering = segment + 1;
            const float q = (entering & 1) != 0 ? 2.0f * (1.0f - pulseWidth) : 2.0f * pulseWidth;
            segment = entering & 3;
            residual.addStep (-periodCounter, level - next);
            level = next;
            periodCounter += 0.5f / f * q;
        }
    }
}

void BlepOsc::renderSineTri (float* out, int n) noexcept
{
    const float s = octaveBlend;
    float* ph = phase.get();
    float* inc = increment.get();
    float* mod = modulator.get();

    // The modulator is smoothed into a buffer of our own: the master
    // oscillator's output, which feeds it, is still mixed by the voice.
    if (fmInput)
    {
        float m = fmSmooth;
        for (int i = 0; i < n; ++i)
        {
            const float x = syncIn != nullptr ? clampOrLow (syncIn[i], -kMaxModulator, kMaxModulator) : 0.0f;
            m = x * 0.25f + m * 0.75f;
            mod[i] = m;
        }
        fmSmooth = m;
    }

    const bool frequencyModulation = fmInput && ! syncActive;
    for (int i = 0; i < n; ++i)
    {
        const float f = clampOrLow (freqIn[i], 0.0f, kMaxFrequency);
        inc[i] = frequencyModulation ? f * (1.0f + mod[i] * widthAt (i)) : f;
    }

    ph[0] = 0.0f;
    for (int i = 1; i < n; ++i)
        ph[i] = ph[i - 1] + inc[i];

    if (fresh)
    {
        phaseOffset = 0.0f;
        if (randomStart)
            phaseOffset = (float) (DspRandom::next() % 2000) / 2000.0f * 1.5f;
        fresh = false;
    }

    vec::addScalar (ph, ph, phaseOffset, n);
    // The offset stays in [0, 2) so that the half-speed phase below runs on
    // without a jump.
    phaseOffset = std::fmod (ph[n - 1] + inc[n - 1], 2.0f);
    if (phaseOffset < 0.0f)
        phaseOffset += 2.0f;

    if (fmInput && syncActive)
        for (int i = 0; i < n; ++i)
            ph[i] += mod[i] * widthAt (i);

    if (fmInput)
        OscTables::lookup (OscTables::sine(), ph, out, n);
    else
        OscTables::lookupSineTriangle (width, ph, out, n);

    if (s != 0.0f)
    {
        float* sub = subPhase.get();
        float* subOut = subOutput.get();
        vec::scale (sub, ph, 0.5f, n);
        if (fmInput)
            OscTables::lookup (OscTables::sine(), sub, subOut, n);
        else
            OscTables::lookupSineTriangle (width, sub, subOut, n);
        // out * (1 - s) + sub * s
        vec::scale (out, out, 1.0f - s, n);
        vec::scalarMultiplyAdd (out, s, subOut, out, n);
    }
}
