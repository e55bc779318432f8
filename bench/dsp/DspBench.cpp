#include "AliasTable.h"

#include "dsp/ADSREnvelope.h"
#include "dsp/DSPContext.h"
#include "dsp/FilterFX.h"
#include "dsp/GenericOsc.h"
#include "dsp/NoiseGen.h"
#include "dsp/VexmoorADSR.h"
#include "dsp/VexmoorLinADSR.h"

#include <benchmark/benchmark.h>
#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>
#include <vector>

namespace
{
constexpr int kBlock = 512; // the voice's sub-block
constexpr double kSampleRate = 44100.0;

/** Reports the time per rendered sample next to the time per block. */
void countSamples (benchmark::State& state)
{
    const double samples = (double) state.iterations() * kBlock;
    state.counters["per_sample"] = benchmark::Counter (samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::vector<float> vibrato (double centreHz)
{
    // A gentle vibrato, so that the oscillators see a moving pitch.
    std::vector<float> f (kBlock);
    for (int i = 0; i < kBlock; ++i)
        f[(size_t) i] = (float) (centreHz * (1.0 + 0.003 * std::sin (2.0 * M_PI * i / kBlock)) / kSampleRate);
    return f;
}

const char* const kOscNames[] = { "SuperSaw", "Saw", "Pulse", "SineTri", "SineTriFM" };

void oscillator (benchmark::State& state)
{
    juce::ScopedNoDenormals noDenormals;
    const int mode = (int) state.range (0);
    const bool unison = state.range (1) != 0;
    DSPContext context;
    GenericOsc osc (context);
    const bool fm = mode == 4;
    osc.setFmInput (fm);
    osc.setMulti (unison);
    osc.setDetune (1.01f);
    osc.setMultiMix (0.0f);
    const auto freq = vibrato (220.0);
    std::vector<float> modulator (kBlock);
    for (int i = 0; i < kBlock; ++i)
        modulator[(size_t) i] = (float) std::sin (2.0 * M_PI * 330.0 * i / kSampleRate);
    osc.reset();
    for (auto _ : state)
    {
        osc.setParams (oscModeFromType (fm ? 3 : mode), 0.3f, 0.6f);
        osc.setInputs (freq.data(), nullptr, fm ? modulator.data() : nullptr);
        benchmark::DoNotOptimize (osc.render (kBlock));
    }
    state.SetLabel (std::string (kOscNames[mode]) + (unison ? " unison" : " single"));
    countSamples (state);
}

const char* const kFilterNames[] = { "BYPASS", "LP", "HP", "BP", "NOTCH", "COMB", "FORMANT", "ALLPASS", "POWER LP",
                                     "POWER BP", "WAVESHAPER", "RESONATOR", "RESAMPLER", "LP+RESAMPLE", "SHIFTER",
                                     "ANALOG LP12", "FORMANT2" };

void filter (benchmark::State& state)
{
    juce::ScopedNoDenormals noDenormals;
    const int type = (int) state.range (0);
    const int is24dB = (int) state.range (1);
    DSPContext context;
    FilterFX unit (context);
    unit.setType (type);
    unit.set24dB (is24dB);
    NoiseGen noise (context);
    std::vector<float> buffer (kBlock), cutoff (kBlock);
    float sweep = 0.0f;
    for (auto _ : state)
    {
        // A cutoff sweeping through the range, as an envelope would move it.
        sweep = sweep > 1.0f ? 0.0f : sweep + 0.01f;
        for (int i = 0; i < kBlock; ++i)
            cutoff[(size_t) i] = 0.2f + 0.6f * sweep + 0.0002f * (float) i;
        const float* n = noise.render (kBlock);
        std::copy (n, n + kBlock, buffer.begin());
        unit.process (buffer.data(), cutoff.data(), kBlock, 0.6f);
        benchmark::DoNotOptimize (buffer.data());
    }
    state.SetLabel (std::string (kFilterNames[type]) + (is24dB != 0 ? " 24 dB" : ""));
    countSamples (state);
}

void envelopes (benchmark::State& state)
{
    DSPContext context;
    VexmoorADSR amp (context);
    VexmoorLinADSR linear (context);
    ADSREnvelope exponential (context);
    int block = 0;
    for (auto _ : state)
    {
        if (block++ % 200 == 0)
        {
            amp.setAttack (0.05f);
            amp.setDecay (0.3f);
            amp.setSustain (0.6f);
            amp.setRelease (0.5f);
            linear.setParams (0.05f, 0.3f, 0.6f, 0.5f);
            exponential.setParams (0.05f, 0.3f, 0.6f, 0.5f);
        }
        if (block % 200 == 150)
        {
            amp.release();
            linear.release();
            exponential.release();
        }
        benchmark::DoNotOptimize (amp.process (kBlock));
        benchmark::DoNotOptimize (linear.process (kBlock));
        benchmark::DoNotOptimize (exponential.process (kBlock));
    }
    state.SetLabel ("amplitude + linear + exponential");
    countSamples (state);
}

void noise (benchmark::State& state)
{
    juce::ScopedNoDenormals noDenormals;
    DSPContext context;
    NoiseGen generator (context);
    for (auto _ : state)
    {
        generator.setColor (0.3f);
        benchmark::DoNotOptimize (generator.render (kBlock));
    }
    state.SetLabel ("coloured (low-pass)");
    countSamples (state);
}
} // namespace

BENCHMARK (oscillator)->ArgsProduct ({ { 0, 1, 2, 3, 4 }, { 0, 1 } });
BENCHMARK (filter)->ArgsProduct ({ benchmark::CreateDenseRange (1, FilterFX::typeCount - 1, 1), { 0 } });
BENCHMARK (filter)->ArgsProduct ({ { 1, 2, 3, 4, 7, 8, 9, 13 }, { 1 } });
BENCHMARK (envelopes);
BENCHMARK (noise);

int main (int argc, char** argv)
{
    printAliasTable();
    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
