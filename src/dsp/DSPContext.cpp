#include "dsp/DSPContext.h"

#include "dsp/KWDSPModuleBase.h"

#include <algorithm>

namespace
{
// Voices, with their oscillators, envelopes and filters, are the bulk of the
// modules; room for a few hundred voices keeps pool growth from reallocating.
constexpr std::size_t kExpectedModules = 8192;
} // namespace

DSPContext::DSPContext()
{
    modules.reserve (kExpectedModules);
    setTempo (120);
}

void DSPContext::setSampleRate (int rate)
{
    if (rate == sampleRate)
        return;
    sampleRate = rate;
    for (auto* module : modules)
        module->sampleRateChanged();
}

void DSPContext::setTempo (int bpm)
{
    if (bpm == tempoSet)
        return;
    samplesSinceTick = 0;
    tempo = tempoSet = bpm;
    samplesPerTick = computeSamplesPerTick();
}

int DSPContext::computeSamplesPerTick() const
{
    // Samples per 1/64 note: a quarter note split four times, truncated.
    return (int) ((double) sampleRate * 60.0 / tempo * 0.25 * 0.5 * 0.5);
}

void DSPContext::update (int frames)
{
    if (transition != 0)
        resetPending = true;

    samplesPerTick = computeSamplesPerTick();

    if (playing)
    {
        if (resetPending)
        {
            tickCounter = -1;
            tickOffset = 0;
            resetPending = false;
        }
        tickOffset = hostTickIndex;
        if (tickOffset >= 0)
            ++tickCounter;
        return;
    }

    if (samplesSinceTick + frames > samplesPerTick)
    {
        tickOffset = samplesPerTick - samplesSinceTick;
        ++tickCounter;
        samplesSinceTick -= samplesPerTick;
    }
    else
    {
        tickOffset = -1;
    }
    samplesSinceTick += frames;

    if (resetPending)
    {
        tickCounter = -1;
        tickOffset = 0;
        resetPending = false;
    }
}

void DSPContext::addModule (KWDSPModuleBase* module)
{
    modules.push_back (module);
}

void DSPContext::removeModule (KWDSPModuleBase* module)
{
    auto it = std::find (modules.begin(), modules.end(), module);
    if (it != modules.end())
        modules.erase (it);
}
