#pragma once

#include "params/ParamIndex.h"

#include <juce_core/juce_core.h>

#include <array>
#include <atomic>

/** Told about every change of a controller binding. Notifications can arrive
    on the audio thread: record the change and return, never block. */
class KWMidiListener
{
public:
    virtual ~KWMidiListener() = default;
    /** Has no sender; the editor uses it for its own learn-target repaints. */
    virtual void learnTargetChanged (int) {}
    /** controller -1 means paramIndex lost its controller. */
    virtual void mappingChanged (int controller, int paramIndex) = 0;
};

/** The process-wide map from MIDI controllers to parameters (MIDI learn), kept
    in "midimapper.mrb" in the per-user folder. Every plug-in instance of the
    process shares it. The audio thread reads the tables and, in learn mode,
    changes them; the message thread loads and saves them. Nothing here locks or
    allocates on the audio thread. */
class KWMidiMapper
{
public:
    static KWMidiMapper& getInstance();

    /** Message thread: replaces the bindings with the file's (none when it is
        missing; all cleared when it is not readable). */
    void load();
    /** Message thread: writes the bindings, replacing the file only once the
        new one is complete. */
    bool save();

    /** Binds controller to paramIndex (controller -1 unbinds it), keeping one
        controller per parameter and one parameter per controller. */
    void assign (int controller, int paramIndex);
    /** The bound parameter, or -1. */
    int parameterFor (int controller) const noexcept;
    /** The bound controller, or -1. */
    int controllerFor (int paramIndex) const noexcept;

    /** Audio thread: a controller message in learn mode binds it to the learn
        target; true when it did (the message is then used up). */
    bool learn (int controller);

    void addListener (KWMidiListener* listener);
    /** Waits for a notification in progress on another thread to end. */
    void removeListener (KWMidiListener* listener);

    std::atomic<bool> learning { false };
    std::atomic<int> learnTarget { -1 };

    static juce::File mapFile();
    static constexpr int kNumControllers = 256;
    static constexpr int kMaxListeners = 32;

private:
    KWMidiMapper();
    void clear() noexcept;
    void notify (int controller, int paramIndex) noexcept;

    std::array<std::atomic<int>, kNumControllers> controllerToParam {};
    std::array<std::atomic<int>, ParamIndex::kNumParams> paramToController {};
    std::array<std::atomic<KWMidiListener*>, kMaxListeners> listeners {};
    std::atomic<int> notifying { 0 };
};
