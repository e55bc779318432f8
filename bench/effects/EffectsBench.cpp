// Cost of the master effects per stereo frame, and whether their tails stay
// cheap once the input stops (denormal numbers). Run: build/release/bench/effects/effects_bench
#include "dsp/DSPContext.h"
#include "effects/B3EQEffect.h"
#include "effects/ChorusEffect.h"
#include "effects/DelayFX.h"
#include "effects/MasterEffectChain.h"
#include "effects/PhaserFx.h"
#include "effects/RotarySpeakersSimulator.h"
#include "effects/Rvb.h"
#include "effects/WaveshaperEffect.h"
#include "params/ParamIndex.h"
#include "params/ParameterTable.h"

#include <benchmark/benchmark.h>
#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace
{
constexpr int kBlockFrames = 512;

std::vector<float> noise (int values, std::uint32_t seed = 1u)
{
    std::vector<float> v ((size_t) values);
    for (auto& x : v)
    {
        seed = seed * 1664525u + 1013904223u;
        x = 0.5f * ((float) (seed >> 8) / 8388608.0f - 1.0f);
    }
    return v;
}

/** Turns flush-to-zero and denormals-are-zero off for its lifetime: what a
    host that does not set them would run the effects with. */
class DenormalsAllowed
{
public:
#if defined(__SSE__) || defined(__x86_64__)
    DenormalsAllowed() : saved (_mm_getcsr()) { _mm_setcsr (saved & ~0x8040u); }
    ~DenormalsAllowed() { _mm_setcsr (saved); }

private:
    unsigned saved;
#endif
};

/** Either the plug-in's flush-to-zero or none at all. */
struct FloatMode
{
    explicit FloatMode (bool flushToZero)
    {
        if (flushToZero)
            noDenormals = std::make_unique<juce::ScopedNoDenormals>();
        else
            allowed = std::make_unique<DenormalsAllowed>();
    }
    std::unique_ptr<juce::ScopedNoDenormals> noDenormals;
    std::unique_ptr<DenormalsAllowed> allowed;
};

void perFrame (benchmark::State& state)
{
    state.counters["per_frame"] = benchmark::Counter ((double) state.iterations() * kBlockFrames,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

/** Times process() of one effect on 512-frame blocks of noise. */
template <typename Effect, typename Setup>
void runEffect (benchmark::State& state, Setup&& setup)
{
    juce::ScopedNoDenormals noDenormals;
    DSPContext context;
    context.setSampleRate ((int) state.range (0));
    Effect effect (context);
    setup (effect);
    const auto source = noise (2 * kBlockFrames);
    std::vector<float> block (source.size());
    for (auto _ : state)
    {
        std::copy (source.begin(), source.end(), block.begin());
        effect.process (block.data(), kBlockFrames);
        benchmark::DoNotOptimize (block.data());
    }
    perFrame (state);
}

void Waveshaper (benchmark::State& s)
{
    runEffect<WaveshaperEffect> (s, [] (WaveshaperEffect& e) { e.drive = 0.6f; e.mix = 0.7f; });
}
void Chorus (benchmark::State& s)
{
    runEffect<ChorusEffect> (s, [] (ChorusEffect& e) { e.depth = 0.6f; e.rate = 0.5f; });
}
void Phaser (benchmark::State& s)
{
    runEffect<PhaserFx> (s, [] (PhaserFx& e) { e.depth = 0.8f; e.setSweepFromControl (0.5f); });
}
void Rotary (benchmark::State& s)
{
    runEffect<RotarySpeakersSimulator> (s, [] (RotarySpeakersSimulator& e) { e.rate = 0.6f; e.depth = 0.5f; });
}
void Delay (benchmark::State& s)
{
    runEffect<DelayFX> (s, [] (DelayFX& e) {
        e.feedback = 0.6f;
        e.mix = 0.5f;
        e.tapsLeft = 1.06f;
        e.tapsRight = 3.0f;
        e.cross = true;
    });
}
void Equaliser (benchmark::State& s)
{
    runEffect<B3EQEffect> (s, [] (B3EQEffect& e) { e.eqLow = 0.7f; e.eqHigh = 0.3f; });
}
void Reverb (benchmark::State& s)
{
    runEffect<Rvb> (s, [] (Rvb& e) { e.dryWet = 0.4f; });
}

BENCHMARK (Waveshaper)->Arg (44100)->Arg (96000);
BENCHMARK (Chorus)->Arg (44100)->Arg (96000);
BENCHMARK (Phaser)->Arg (44100)->Arg (96000);
BENCHMARK (Rotary)->Arg (44100)->Arg (96000);
BENCHMARK (Delay)->Arg (44100)->Arg (96000);
BENCHMARK (Equaliser)->Arg (44100)->Arg (96000);
BENCHMARK (Reverb)->Arg (44100)->Arg (96000);

/** The value arrays of a sound with the master chain in use. */
struct ChainSound
{
    std::array<float, ParamIndex::kNumSlots> A {}, B {}, M {};
    std::array<int, ParamIndex::kNumSlots> I {};

    /** The default sound with delay and reverb on; with everything, the
        split, the insert of "Fx type" choice insert and the equaliser too. */
    ChainSound (int insert, bool everything)
    {
        using namespace ParamIndex;
        for (const auto& p : buildParameterTable())
        {
            const auto i = (size_t) p->getIndex();
            A[i] = B[i] = M[i] = p->getEngineValue();
            I[i] = p->getInt();
        }
        if (everything)
        {
            set (fxSplit, 0.3f);
            set (eqLow, 0.7f);
            set (eqHigh, 0.3f);
            set (effectControl1, 0.6f);
            set (effectControl2, 0.4f);
            I[fxType] = insert;
        }
        set (delayMix, 0.5f);
        set (delayFeedback, 0.7f);
        set (reverbDryWet, 0.4f);
        I[reverbOn] = 1;
    }
    void set (int index, float value) { A[(size_t) index] = B[(size_t) index] = M[(size_t) index] = value; }
    void process (MasterEffectChain& chain, float* block) const
    {
        chain.process (block, kBlockFrames, A.data(), B.data(), M.data(), I.data());
    }
};

/** The whole chain, everything on, with the insert of range(1). */
void WholeChain (benchmark::State& state)
{
    juce::ScopedNoDenormals noDenormals;
    DSPContext context;
    context.setSampleRate ((int) state.range (0));
    MasterEffectChain chain (context);
    const ChainSound sound ((int) state.range (1), true);
    const auto source = noise (2 * kBlockFrames);
    std::vector<float> block (source.size());
    for (auto _ : state)
    {
        std::copy (source.begin(), source.end(), block.begin());
        sound.process (chain, block.data());
        benchmark::DoNotOptimize (block.data());
    }
    perFrame (state);
}
BENCHMARK (WholeChain)->ArgsProduct ({ { 44100, 96000 }, { 1, 2, 3, 4 } })->ArgNames ({ "rate", "fxType" });

/** CPU time of the calling thread in nanoseconds: unlike the wall clock it
    does not count the time other programs on a shared machine take. */
double threadNanoseconds()
{
    timespec t {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
    return (double) t.tv_sec * 1.0e9 + (double) t.tv_nsec;
}

/** Ten seconds of music, then a minute of silence while the tails die away.
    range(0): 1 with the plug-in's flush-to-zero, 0 without; range(1): 0 for
    the delay and reverb alone, 1 for everything on (split, phaser, delay,
    equaliser, reverb); range(2): the sample rate. Reports the mean cost of a
    sub-block while playing and during the tail, the worst second of the
    tail (the most expensive five seconds), and the subnormal values that
    reached the output. */
void Tail (benchmark::State& state)
{
    const FloatMode mode (state.range (0) != 0);
    const int rate = (int) state.range (2);
    const int blocksPerSecond = rate / kBlockFrames;
    const ChainSound sound (3, state.range (1) != 0);

    double activeMean = 0.0, tailMean = 0.0, worstWindow = 0.0;
    long subnormals = 0;
    for (auto _ : state)
    {
        DSPContext context;
        context.setSampleRate (rate);
        MasterEffectChain chain (context);
        std::vector<float> block (2 * kBlockFrames);

        double active = 0.0;
        int activeBlocks = 0;
        for (int b = 0; b < 10 * blocksPerSecond; ++b)
        {
            const auto music = noise (2 * kBlockFrames, (std::uint32_t) b + 1u);
            std::copy (music.begin(), music.end(), block.begin());
            const double t0 = threadNanoseconds();
            sound.process (chain, block.data());
            active += threadNanoseconds() - t0;
            ++activeBlocks;
        }

        double tail = 0.0, second = 0.0;
        int tailBlocks = 0;
        for (int b = 0; b < 60 * blocksPerSecond; ++b)
        {
            std::fill (block.begin(), block.end(), 0.0f);
            const double t0 = threadNanoseconds();
            sound.process (chain, block.data());
            const double t = threadNanoseconds() - t0;
            tail += t;
            second += t;
            ++tailBlocks;
            if (tailBlocks % (5 * blocksPerSecond) == 0)
            {
                worstWindow = std::max (worstWindow, second / (5 * blocksPerSecond));
                second = 0.0;
            }
            for (const float v : block)
                subnormals += std::fpclassify (v) == FP_SUBNORMAL;
        }
        activeMean = active / activeBlocks;
        tailMean = tail / tailBlocks;
        state.SetIterationTime (tail * 1.0e-9);
    }
    state.counters["active_ns_block"] = activeMean;
    state.counters["tail_ns_block"] = tailMean;
    state.counters["worst_5s_ns_block"] = worstWindow;
    state.counters["tail_over_active"] = tailMean / activeMean;
    state.counters["worst_over_active"] = worstWindow / activeMean;
    state.counters["subnormal_out"] = (double) subnormals;
}
BENCHMARK (Tail)
    ->ArgsProduct ({ { 1, 0 }, { 0, 1 }, { 44100, 96000 } })
    ->ArgNames ({ "ftz", "everything", "rate" })
    ->Iterations (1)
    ->UseManualTime()
    ->Unit (benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
