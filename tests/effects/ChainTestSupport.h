#pragma once

#include "dsp/DSPContext.h"
#include "effects/MasterEffectChain.h"
#include "params/ParamIndex.h"
#include "params/ParameterTable.h"

#include "EffectTestSupport.h"

#include <array>
#include <vector>

/** Shared by the tests of the master chain: the value arrays the engine hands
    to it and a chain with its own context. */
namespace EffectTest
{
/** The four arrays the chain reads. set() writes a value into A, B and the
    morphed array alike. */
struct ChainValues
{
    std::array<float, ParamIndex::kNumSlots> A {}, B {}, M {};
    std::array<int, ParamIndex::kNumSlots> I {};

    /** Every parameter at its default, as the patch of a new sound holds it. */
    ChainValues()
    {
        for (const auto& p : buildParameterTable())
        {
            const auto i = (size_t) p->getIndex();
            A[i] = B[i] = M[i] = p->getEngineValue();
            I[i] = p->getInt();
        }
    }

    void set (int index, float value)
    {
        A[(size_t) index] = B[(size_t) index] = M[(size_t) index] = value;
    }
    void choose (int index, int choice) { I[(size_t) index] = choice; }

    /** Delay on with the given mix and feedback (taps from A). */
    void delayOn (float mix, float feedback)
    {
        set (ParamIndex::delayMix, mix);
        set (ParamIndex::delayFeedback, feedback);
    }
    void reverbOn (float dryWet)
    {
        choose (ParamIndex::reverbOn, 1);
        set (ParamIndex::reverbDryWet, dryWet);
    }

    /** Every stage with a memory in use: split, the given insert, delay,
        equaliser and reverb. */
    void everythingOn (int fxTypeChoice)
    {
        using namespace ParamIndex;
        choose (fxType, fxTypeChoice);
        set (effectControl1, 0.6f);
        set (effectControl2, 0.4f);
        set (fxSplit, 0.3f);
        delayOn (0.6f, 0.7f);
        set (eqLow, 0.7f);
        set (eqHigh, 0.3f);
        reverbOn (0.5f);
    }
};

/** Runs the master chain over the whole interleaved signal in sub-blocks. */
inline void runChain (MasterEffectChain& chain, const ChainValues& values, std::vector<float>& signal, int blockFrames = 512)
{
    const int frames = (int) signal.size() / 2;
    for (int pos = 0; pos < frames; pos += blockFrames)
    {
        const int n = frames - pos < blockFrames ? frames - pos : blockFrames;
        chain.process (signal.data() + 2 * pos, n, values.A.data(), values.B.data(), values.M.data(), values.I.data());
    }
}
/** A master chain with its own context and value arrays. */
struct ChainRig
{
    explicit ChainRig (int sampleRate = 44100) { context.setSampleRate (sampleRate); }

    void run (std::vector<float>& signal, int blockFrames = 512) { runChain (chain, values, signal, blockFrames); }

    DSPContext context;
    MasterEffectChain chain { context };
    ChainValues values;
};
} // namespace EffectTest
