#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** Raw VST2 calls on a hosted VST2 instance, for what JUCE's host side does not
    pass through unchanged (identity fields, flags, untrimmed texts). */
class Vst2Effect
{
public:
    explicit Vst2Effect (juce::AudioPluginInstance& instance);

    bool isValid() const noexcept { return effect != nullptr; }
    int uniqueId() const;
    int versionField() const;
    int vendorVersion() const;
    int category() const;
    int numInputs() const;
    int numOutputs() const;
    int numPrograms() const;
    int flags() const;
    int canDo (const char* capability) const;
    juce::String effectName() const;
    juce::String vendorString() const;
    juce::String productString() const;
    juce::String parameterName (int index) const;
    juce::String parameterText (int index) const;
    void setParameter (int index, float value) const;
    float getParameter (int index) const;
    /** The plug-in's own state chunk, as the VST2 chunk call hands it out. */
    juce::MemoryBlock chunk() const;

    static constexpr int kFlagHasEditor = 1 << 0;
    static constexpr int kFlagCanReplacing = 1 << 4;
    static constexpr int kFlagProgramChunks = 1 << 5;
    static constexpr int kFlagIsSynth = 1 << 8;

private:
    juce::String text (int opcode, int index) const;
    juce::pointer_sized_int dispatch (int opcode, int index, juce::pointer_sized_int value, void* ptr) const;

    void* effect = nullptr;
};
