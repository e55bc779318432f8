#pragma once

#include "params/KWParamValueMapper.h"
#include "params/ParamIndex.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class KWParam;

/** The 87 parameters in index order (not owned). */
using KWParamList = std::array<KWParam*, ParamIndex::kNumParams>;

/** Formats printf-style into a String of any length (parameter display texts). */
juce::String formatParamText (const char* format, ...);

/** One host-automatable sound setting. It keeps two normalised values, A and B
    (the morph groups), and whenever one changes it writes the mapped engine value
    into the patch's parameter slots, where the audio thread picks it up at its
    next sub-block. Writes are lock-free and never allocate: host threads, the
    editor, presets and MIDI-mapped controllers (on the audio thread) all use them.
    Its ID for hosts that need one is "param" followed by its two-digit number. */
class KWParam : public juce::AudioProcessorParameterWithID
{
public:
    using TextFunction = std::function<juce::String (float normalised, const KWParamValueMapper& mapper)>;

    /** A continuous parameter. */
    KWParam (int index, juce::String name, float defaultValue, bool morphable, bool bipolar);
    /** A choice parameter with its labels. */
    KWParam (int index, juce::String name, float defaultValue, std::vector<std::string> choices);

    float getValue() const override;
    void setValue (float v) override;
    float getDefaultValue() const override;
    juce::String getName (int maximumLength) const override;
    juce::String getLabel() const override;
    int getNumSteps() const override;
    juce::String getText (float v, int maximumLength) const override;
    float getValueForText (const juce::String& text) const override;
    bool isOrientationInverted() const override;
    bool isAutomatable() const override;
    bool isMetaParameter() const override;
    /** Choice parameters are discrete, so hosts offer their labels. */
    bool isDiscrete() const override;

    float getValueB() const noexcept { return valueB.load (std::memory_order_relaxed); }
    void setValueB (float v);
    void setFromInt (int i) { setValue (mapper->fromInt (i, numSteps)); }
    void setFromEngine (float x) { setValue (mapper->fromEngine (x)); }
    void setFromEngineB (float x) { setValueB (mapper->fromEngine (x)); }
    void setFromBool (bool b) { setValue (mapper->fromBool (b)); }
    int getInt() const { return mapper->toInt (getValue(), numSteps); }
    float getEngineValue() const { return mapper->toEngine (getValue()); }
    bool getBool() const { return mapper->toBool (getValue()); }
    /** Exchanges both the A and the B value with another parameter. */
    void swapWith (KWParam& other);

    void setMapper (std::unique_ptr<KWParamValueMapper> newMapper) { mapper = std::move (newMapper); }
    void setTextFunction (TextFunction f) { textFunction = std::move (f); }
    void setTargets (std::atomic<float>* a, std::atomic<float>* b, std::atomic<int>* integer);

    const KWParamValueMapper& getMapper() const noexcept { return *mapper; }
    const juce::String& getParamName() const noexcept { return name; }
    const std::vector<std::string>& getChoices() const noexcept { return choices; }
    int getIndex() const noexcept { return index; }
    bool isMorphable() const noexcept { return morphable; }
    bool isBipolar() const noexcept { return bipolar; }

private:
    juce::String defaultText (float v) const;

    std::atomic<float> value;
    float defaultValue;
    int numSteps = 0;
    std::vector<std::string> choices;
    std::atomic<float> valueB;
    bool bipolar = false;
    TextFunction textFunction;
    std::unique_ptr<KWParamValueMapper> mapper;
    int index;
    bool morphable = false;
    std::atomic<float>* targetA = nullptr;
    std::atomic<float>* targetB = nullptr;
    std::atomic<int>* targetInt = nullptr;
};
