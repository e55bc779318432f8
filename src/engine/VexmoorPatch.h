#pragma once

#include "arp/ArpPattern.h"
#include "dsp/AlignedBuffer.h"
#include "engine/VexmoorLFO.h"
#include "params/KWParam.h"

#include <juce_core/juce_core.h>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

/** The current sound: the 87 parameters and the values the engine plays from,
    plus the fields only presets carry (name, tags, chord, morph position).

    Parameters write their engine values into the atomic slots from any thread.
    Once per sub-block the audio thread copies the slots into arrayA, arrayB and
    arrayInt and blends arrayMorphed from them, so all DSP code reads plain,
    consistent arrays for the whole sub-block. */
class VexmoorPatch
{
public:
    VexmoorPatch();

    /** Hands the parameters to their owner (the plug-in registers them with the
        host); without a call they die with the patch. */
    std::vector<std::unique_ptr<KWParam>> releaseParameterOwnership();

    const KWParamList& getParams() const noexcept { return params; }
    KWParam& param (int index) const noexcept { return *params[(size_t) index]; }

    /** Audio thread: copies the parameter slots into the render arrays. */
    void refreshArrays() noexcept;
    /** Audio thread: arrayMorphed = B * m + A * (1 - m), on engine values. */
    void blendMorph (float m) noexcept;

    /** Both groups to their defaults; name "Init". */
    void initPatch();

    /** The sound as a preset dict (see presets/PresetDictionary.h). */
    std::unique_ptr<juce::XmlElement> buildPresetDictionary() const;
    /** Sets the sound from a preset dict; the engine calls it under its state lock. */
    void applyPresetDictionary (const juce::XmlElement* dict);

    std::array<std::atomic<float>, ParamIndex::kNumSlots> slotA {};
    std::array<std::atomic<float>, ParamIndex::kNumSlots> slotB {};
    std::array<std::atomic<int>, ParamIndex::kNumSlots> slotInt {};

    AlignedBuffer<float> arrayA { ParamIndex::kNumSlots };
    AlignedBuffer<float> arrayB { ParamIndex::kNumSlots };
    AlignedBuffer<float> arrayMorphed { ParamIndex::kNumSlots };
    AlignedBuffer<int> arrayInt { ParamIndex::kNumSlots };

    juce::String name { "Untitled" };
    bool isChord = false;
    std::vector<int> chordNotes;
    std::atomic<float> initialMod { 0.0f };
    std::atomic<float> wheelShown { 0.0f };
    float bendSmoothed = 1.0f;
    bool modernLfoWaves = true;
    bool invertOsc = false;
    std::array<bool, 12> tagFlags {};
    /** The free-running LFOs that voices share under the "Global" trigger; the
        engine builds them with its DSP context. */
    std::unique_ptr<VexmoorLFO> lfo1, lfo2;
    /** The arpeggiator's pattern; it travels with the sound. */
    ArpPattern arpPattern;

private:
    std::vector<std::unique_ptr<KWParam>> ownedParams;
    KWParamList params {};
};
