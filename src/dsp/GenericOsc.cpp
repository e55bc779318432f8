#include "dsp/GenericOsc.h"

#include "dsp/OscTables.h"
#include "dsp/SafeMath.h"
#include "dsp/VectorOps.h"

#include <algorithm>
#include <cmath>

GenericOsc::GenericOsc (DSPContext& ctx)
    : KWDSPModuleBase (ctx), main (ctx), up (ctx), down (ctx)
{
    for (BlepOsc* partner : { &up, &down })
    {
        partner->setRandomStart (true);
        partner->setShortBlep (true);
    }
}

void GenericOsc::setParams (OscMode mode, float octaveBlend, float width) noexcept
{
    main.setParams (mode, octaveBlend, width);
    if (multi)
    {
        up.setParams (mode, octaveBlend, width);
        down.setParams (mode, octaveBlend, width);
    }
}

void GenericOsc::setInputs (const float* freq, const float* pwm, const float* sync) noexcept
{
    main.setInputs (freq, pwm, sync);
    freqIn = freq;
    pwmIn = pwm;
    upSync = sync;
    downSync = sync;
}

void GenericOsc::setPartnerSyncInputs (const float* upInput, const float* downInput) noexcept
{
    upSync = upInput;
    downSync = downInput;
}

void GenericOsc::setSync (bool enabled) noexcept
{
    main.setSync (enabled);
    up.setSync (enabled);
    down.setSync (enabled);
}

void GenericOsc::setMultiMix (float m) noexcept
{
    multiMix = clampOrLow (m, -1.0f, 1.0f);
}

void GenericOsc::setFmInput (bool enabled) noexcept
{
    main.setFmInput (enabled);
    up.setFmInput (enabled);
    down.setFmInput (enabled);
}

void GenericOsc::reset() noexcept
{
    main.reset();
    fadePending = true;
    if (multi)
    {
        up.reset();
        down.reset();
    }
}

float* GenericOsc::render (int n) noexcept
{
    n = std::clamp (n, 0, kMaxBlock);
    float* out = output.get();
    if (n == 0)
        return out;

    // Three supersaws run their high-passes together, in one pass.
    const bool unison = multi && freqIn != nullptr;
    const bool superSaws = unison && main.getMode() == OscMode::SuperSaw && up.getMode() == OscMode::SuperSaw
                           && down.getMode() == OscMode::SuperSaw;
    for (BlepOsc* osc : { &main, &up, &down })
        osc->setDeferredHighPass (superSaws);

    const float* m = main.render (n);
    if (unison)
    {
        vec::scale (upFreq.get(), freqIn, detuneRatio, n);
        vec::scale (downFreq.get(), freqIn, 1.0f / (detuneRatio + 0.0001f), n);
        up.setInputs (upFreq.get(), pwmIn, upSync);
        down.setInputs (downFreq.get(), pwmIn, downSync);
        const float* u = up.render (n);
        const float* d = down.render (n);
        if (superSaws)
            HSawComponent::highPassTogether (main.getSuperSaw(), up.getSuperSaw(), down.getSuperSaw(), n);

        const float wm = multiMix + 1.0f;
        const float ws = 1.0f - multiMix;
        const float norm = std::sqrt (wm * wm + ws * ws + ws * ws);
        vec::weightedSum3 (out, m, wm / norm, u, ws / norm, d, ws / norm, n);
    }
    else
    {
        vec::copy (out, m, n);
    }

    // A block too short for the whole fade leaves it to the next longer one.
    if (fadePending && n > kFadeLength)
    {
        vec::multiply (out, out, OscTables::fade(), kFadeLength);
        fadePending = false;
    }
    return out;
}
