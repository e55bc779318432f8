#include "engine/VexmoorLFO.h"

#include "dsp/DSPContext.h"
#include "dsp/DspRandom.h"
#include "dsp/OscTables.h"
#include "dsp/SafeMath.h"
#include "dsp/VectorOps.h"

#include <algorithm>
#include <cmath>

VexmoorLFO::VexmoorLFO (DSPContext& ctx) : KWDSPModuleBase (ctx)
{
    OscTables::prepare();
}

float VexmoorLFO::nextRandom()
{
    return (float) DspRandom::next() / (float) DspRandom::kMax;
}

void VexmoorLFO::reset()
{
    if (trigger == global)
    {
        fadeCounter = 0;
        return;
    }
    tablePos = 0.0f;
    stepCounter = 0;
    samplesRendered = 0;
    held = false;
    value = wave == smooth ? nextRandom() : -1.0f;
    fadeCounter = (int) (fadeIn * sampleRate);
}

const float* VexmoorLFO::render (int n)
{
    n = std::clamp (n, 1, kMaxBlock);
    if (trigger == global && lastClock == context->time)
        return out.get();
    lastClock = context->time;

    float R = rate;
    if (sync)
    {
        // Synced rates are 2^(k - 6) cycles per beat.
        const int k = (int) std::log2 (rate * 32.0f);
        R = (float) ((context->tempo / 60.0 * 0.015625) * std::pow (2.0, k));
    }
    R = std::max (R, 1.0e-6f);

    if (trigger == oneShot && held)
    {
        vec::fill (out.get(), heldValue, n);
        return out.get();
    }

    switch (wave)
    {
        case square: renderSquare (n, R); break;
        case sampleAndHold:
        case smooth: renderSteps (n, R); break;
        default: renderTable (n, R); break;
    }

    samplesRendered += n;

    const float cycle = sampleRate / R;
    if (trigger == oneShot && ! held && (float) samplesRendered >= cycle)
    {
        int k = (int) ((float) samplesRendered - cycle);
        k = std::min (k, n - 1);
        int s = n - k;
        if (s > 0)
            --s;
        const float v = out[(std::size_t) s];
        vec::fill (out.get() + s, v, n - s);
        heldValue = v;
        held = true;
    }

    if (trigger != global && fadeCounter > 0)
    {
        const int m = std::min (n, fadeCounter);
        const float F = fadeIn * sampleRate;
        const float start = (F - (float) fadeCounter) / F;
        for (int i = 0; i < m; ++i)
            out[(std::size_t) i] *= start + (float) i / F;
        fadeCounter -= m;
    }
    return out.get();
}

void VexmoorLFO::renderSquare (int n, float R)
{
    const int h = (int) (sampleRate / R * 0.5f);
    float* o = out.get();
    for (int i = 0; i < n; ++i)
    {
        // At or past the half period (also after the rate dropped below the count).
        if (++stepCounter >= h)
        {
            value = -value;
            stepCounter = 0;
        }
        o[i] = 0.01f * (amount * value) + 0.99f * squarePrev;
        squarePrev = o[i];
    }
}

void VexmoorLFO::renderSteps (int n, float R)
{
    const int h = std::max (1, (int) (sampleRate / R * 0.5f));
    if (value < 0.0f)
    {
        value = nextRandom();
        smoothPrev = nextRandom();
    }
    float* o = out.get();
    for (int i = 0; i < n; ++i)
    {
        o[i] = amount * (2.0f * value - 1.0f);
        if (++stepCounter >= h)
        {
            stepCounter = 0;
            value = nextRandom();
        }
    }
    if (wave == smooth)
    {
        // A one-pole low-pass at an eighth of the rate.
        const float e = (float) std::exp (-2.0 * M_PI * (0.0625 * sampleRate / h) / sampleRate);
        for (int i = 0; i < n; ++i)
        {
            smoothPrev = smoothPrev * e + o[i] * (1.0f - e);
            o[i] = smoothPrev;
        }
    }
}

void VexmoorLFO::renderTable (int n, float R)
{
    const float inc = (float) (R / sampleRate * 2048.0f);
    const float startPos = phase * 2048.0f + tablePos;
    const float* table = wave == triangle ? OscTables::triangle()
                         : wave == exponential ? (expUnipolar ? OscTables::exponentialUnipolar() : OscTables::exponentialBipolar())
                                               : OscTables::sine();
    float* o = out.get();
    const bool clipToCycle = trigger == oneShot && startPos + (float) (n - 1) * inc > 2047.0f;
    const float a = amount;
    // The table indices of a run go through the vector unit; only the reads
    // from the table go one by one.
    constexpr int kRun = 64;
    int index[kRun];
    for (int start = 0; start < n; start += kRun)
    {
        const int count = std::min (kRun, n - start);
        if (clipToCycle)
            for (int i = 0; i < count; ++i)
                index[i] = floorToInt (std::clamp (startPos + (float) (start + i) * inc, 0.0f, 2047.0f)) & 2047;
        else
            for (int i = 0; i < count; ++i)
                index[i] = floorToInt (startPos + (float) (start + i) * inc) & 2047;
        for (int i = 0; i < count; ++i)
            o[start + i] = table[index[i]] * a;
    }
    tablePos = std::fmod (startPos + (float) (n - 1) * inc + inc - phase * 2048.0f, 2048.0f);
}
