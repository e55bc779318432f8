// Engine cost: realtime factor (audio seconds per CPU second) and cost per voice
// for sixteen held voices of a light and a heavy sound.

#include "engine/VexmoorSynth.h"
#include "params/ParamIndex.h"

#include <benchmark/benchmark.h>
#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace
{
using namespace ParamIndex;

constexpr int kRate = 44100;
constexpr int kBlock = 512;

void heavySound (VexmoorSynth& engine)
{
    auto& patch = engine.getPatch();
    auto choose = [&] (int index, int choice) { patch.param (index).setFromInt (choice); };
    choose (osc1Type, 0);
    choose (osc2Type, 0);
    choose (multiOsc1, 1);
    choose (multiOsc2, 1);
    patch.param (multiDetune).setValue (0.5f);
    choose (flt1Type, 1);
    choose (flt1Is24dB, 1);
    choose (flt2Type, 2);
    choose (fltRouting, 1);
    choose (lfo1Target, 2);
    choose (lfo2Target, 3);
    patch.param (lfo1Amount).setValue (0.7f);
    patch.param (lfo2Amount).setValue (0.3f);
    patch.param (lfo1Frequency).setValue (0.4f);
    patch.param (lfo2Frequency).setValue (0.6f);
}

void renderVoices (benchmark::State& state, bool heavy)
{
    juce::ScopedNoDenormals noDenormals;
    const int voices = (int) state.range (0);
    VexmoorSynth engine;
    if (heavy)
        heavySound (engine);
    juce::MidiBuffer midi;
    for (int k = 0; k < voices; ++k)
        midi.addEvent (juce::MidiMessage::noteOn (1, 48 + 2 * k, (juce::uint8) 100), 0);
    std::vector<float> left (kBlock), right (kBlock);
    engine.renderBlock (left.data(), right.data(), kBlock, midi, kRate);
    midi.clear(); // the notes sound on; they are not struck again every block

    for (auto _ : state)
    {
        engine.renderBlock (left.data(), right.data(), kBlock, midi, kRate);
        benchmark::DoNotOptimize (left.data());
    }
    const double audioSeconds = (double) state.iterations() * kBlock / kRate;
    state.counters["realtime"] = benchmark::Counter (audioSeconds, benchmark::Counter::kIsRate);
    // CPU seconds per voice and block (printed with an SI prefix: u = µs).
    state.counters["per_voice_block"] = benchmark::Counter (
        (double) state.iterations() * std::max (1, voices), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void InitSound (benchmark::State& state) { renderVoices (state, false); }
void HeavySound (benchmark::State& state) { renderVoices (state, true); }
} // namespace

BENCHMARK (InitSound)->Arg (0)->Arg (1)->Arg (16)->Unit (benchmark::kMicrosecond);
BENCHMARK (HeavySound)->Arg (1)->Arg (16)->Unit (benchmark::kMicrosecond);
BENCHMARK_MAIN();
