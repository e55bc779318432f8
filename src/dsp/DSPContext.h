#pragma once

#include <vector>

class KWDSPModuleBase;

/** What every DSP module is built with: the sample rate, the tempo, the 1/64-note
    tick clock and the running time, plus the list of live modules that are told
    when the sample rate changes. Owned by the engine; read and advanced on the
    audio thread. */
class DSPContext
{
public:
    DSPContext();

    /** Tells every live module, in the order they were built, when rate differs. */
    void setSampleRate (int rate);
    void setTempo (int bpm);
    /** Advances the tick clock by one sub-block of frames. */
    void update (int frames);

    void addModule (KWDSPModuleBase* module);
    void removeModule (KWDSPModuleBase* module);

    std::vector<KWDSPModuleBase*> modules;
    int sampleRate = 44100;
    int samplesSinceTick = 0;
    int tempoSet = 0;
    int samplesPerTick = 0;
    int tickOffset = -1;
    bool resetPending = true;
    int tempo = 120;
    int transition = 0;
    bool playing = false;
    int tickCounter = 0;
    int blockSize = 4096;
    double time = 0.0;
    int hostTickIndex = -1;

private:
    int computeSamplesPerTick() const;
};
