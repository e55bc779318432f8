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
    beginRender (n);
    return finishRender (n);
}

bool GenericOsc::beginRender (int n) noexcept
{
    n = std::clamp (n, 0, kMaxBlock);
    superSawsPending = false;
    if (n == 0)
        return false;

    // A unison triple of supersaws leaves its high-passes to run side by side.
    const bool unison = multi && freqIn != nullptr;
    const bool superSaws = unison && main.getMode() == OscMode::SuperSaw && up.getMode() == OscMode::SuperSaw
                           && down.getMode() == OscMode::SuperSaw;
    for (BlepOsc* osc : { &main, &up, &down })
        osc->setDeferredHighPass (superSaws);

    mainOut = main.render (n);
    if (unison)
    {
        vec::scale (upFreq.get(), freqIn, detuneRatio, n);
        vec::scale (downFreq.get(), freqIn, 1.0f / (detuneRatio + 0.0001f), n);
        up.setInputs (upFreq.get(), pwmIn, upSync);
        down.setInputs (downFreq.get(), pwmIn, downSync);
        upOut = up.render (n);
        downOut = down.render (n);
    }
    superSawsPending = superSaws;
    return superSaws;
}

void GenericOsc::finishHighPassesTogether (GenericOsc& a, GenericOsc* b, int n) noexcept
{
    HSawComponent* saws[HSawComponent::kMaxTogether];
    int count = 0;
    for (GenericOsc* osc : { &a, b })
        if (osc != nullptr && osc->superSawsPending)
        {
            for (BlepOsc* part : { &osc->main, &osc->up, &osc->down })
                saws[count++] = &part->getSuperSaw();
            osc->superSawsPending = false;
        }
    HSawComponent::highPassTogether (saws, count, n);
}

float* GenericOsc::finishRender (int n) noexcept
{
    n = std::clamp (n, 0, kMaxBlock);
    float* out = output.get();
    if (n == 0)
        return out;
    if (superSawsPending)
        finishHighPassesTogether (*this, nullptr, n);

    if (multi && freqIn != nullptr)
    {
        const float wm = multiMix + 1.0f;
        const float ws = 1.0f - multiMix;
        const float norm = std::sqrt (wm * wm + ws * ws + ws * ws);
        vec::weightedSum3 (out, mainOut, wm / norm, upOut, ws / norm, downOut, ws / norm, n);
    }
    else
    {
        vec::copy (out, mainOut, n);
    }

    // A block too short for the whole fade leaves it to the next longer one.
    if (fadePending && n > kFadeLength)
    {
        vec::multiply (out, out, OscTables::fade(), kFadeLength);
        fadePending = false;
    }
    return out;
}
