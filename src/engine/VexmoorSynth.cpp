#include "engine/VexmoorSynth.h"

#include "dsp/VectorOps.h"
#include "engine/VexmoorPlayer.h"
#include "params/ParamIndex.h"
#include "params/PatchOperations.h"

#include <algorithm>
#include <cmath>

namespace
{
// Voices built up front: sixteen sounding plus the ones still fading after the
// voice limit released them, enough that even a flood of fast notes never
// builds a voice on the audio thread. More are built on demand.
constexpr int kInitialVoices = 64;
constexpr std::size_t kListCapacity = 4096;

void removeAll (std::vector<int>& list, int value)
{
    list.erase (std::remove (list.begin(), list.end(), value), list.end());
}
} // namespace

VexmoorSynth::VexmoorSynth()
    : midiMapper (KWMidiMapper::getInstance()), noiseGenerator (context), effects (context)
{
    for (auto* list : { &activeVoices, &voicePool })
        list->reserve (kListCapacity);
    for (auto* list : { &eventQueue, &dueEvents })
        list->reserve (kListCapacity);
    heldNotes.reserve (kListCapacity);
    monoHeld.reserve (kListCapacity);

    patch.lfo1 = std::make_unique<VexmoorLFO> (context);
    patch.lfo2 = std::make_unique<VexmoorLFO> (context);
    patch.lfo1->trigger = patch.lfo2->trigger = VexmoorLFO::global;
    patch.initPatch();
    patch.bendSmoothed = 1.0f;

    voices.reserve (kListCapacity);
    for (int i = 0; i < kInitialVoices; ++i)
    {
        voices.push_back (std::make_unique<VexmoorPlayer> (context));
        voicePool.push_back (voices.back().get());
    }
}

VexmoorSynth::~VexmoorSynth()
{
    eventPool.releaseAll (eventQueue);
    eventPool.releaseAll (dueEvents);
}

//==============================================================================
void VexmoorSynth::postEvent (int type, int note, float value, int time, bool slide)
{
    NoteEvent* event = eventPool.acquire (type, note, value, time, slide);
    std::lock_guard<std::mutex> queue (queueLock);
    switch (type)
    {
        case NoteEvent::noteOn:
            heldNotes.push_back (note);
            break;
        case NoteEvent::noteOff:
            removeAll (heldNotes, note);
            break;
        case NoteEvent::pitchBend:
        {
            const float rangeValue = patch.slotA[ParamIndex::pitchBendRange].load (std::memory_order_relaxed);
            const int range = (int) (rangeValue * 11.0f + 1.0f);
            bendTarget.store ((float) std::pow (2.0, range / 12.0 * ((double) value * 2.0 - 1.0)),
                              std::memory_order_relaxed);
            break;
        }
        case NoteEvent::morphWheel:
            morphTarget.store (value, std::memory_order_relaxed);
            patch.initialMod = value;
            patch.wheelShown = value;
            break;
        case NoteEvent::releaseAll:
            heldNotes.clear();
            break;
        default:
            break;
    }
    eventQueue.push_back (event);
}

void VexmoorSynth::postReleaseAll()
{
    postEvent (NoteEvent::releaseAll, 10, 1.0f, 0);
}

void VexmoorSynth::postMorphWheel (float value)
{
    postEvent (NoteEvent::morphWheel, 0, value, 0);
}

void VexmoorSynth::setHold (bool on)
{
    hold.store (on, std::memory_order_relaxed);
    if (! on)
        postReleaseAll();
}

//==============================================================================
void VexmoorSynth::handleMidi (juce::MidiBuffer& midi)
{
    for (const auto metadata : midi)
    {
        if (metadata.samplePosition < 0)
            continue;
        const auto message = metadata.getMessage();
        const int time = metadata.samplePosition - metadata.samplePosition % kTimeGrain;

        if (message.isNoteOn())
        {
            // MIDI notes 0..11 lie below the pitch table.
            if (message.getNoteNumber() >= 12)
                postEvent (NoteEvent::noteOn, message.getNoteNumber() - 12,
                           (float) message.getVelocity() * 0.0078125f, time);
        }
        else if (message.isNoteOff())
        {
            if (! hold.load (std::memory_order_relaxed) && message.getNoteNumber() >= 12)
                postEvent (NoteEvent::noteOff, message.getNoteNumber() - 12, 1.0f, time);
        }
        else if (message.isPitchWheel())
        {
            postEvent (NoteEvent::pitchBend, 0, (float) message.getPitchWheelValue() * 0.00006103515625f, time);
        }
        else if (message.isController())
        {
            const int controller = message.getControllerNumber();
            const int value = message.getControllerValue();
            if (controller == 1)
                postEvent (NoteEvent::morphWheel, 0, (float) value / 128.0f, time);
            else if (controller == 64)
            {
                if (value == 0)
                {
                    hold.store (false, std::memory_order_relaxed);
                    postReleaseAll();
                }
                else
                    hold.store (true, std::memory_order_relaxed);
            }
            else
                handleMappedController (controller, value);
        }
    }
    midi.clear();
}

void VexmoorSynth::handleMappedController (int controller, int value)
{
    if (midiMapper.learn (controller))
        return;
    const int index = midiMapper.parameterFor (controller);
    if (index < 0)
        return;
    // Group A only, and the host is not told: a controller plays the sound,
    // it does not edit it.
    auto& param = patch.param (index);
    const int steps = param.getNumSteps();
    if (steps > 0)
        param.setFromInt ((int) (steps * value / 128));
    else
        param.setValue ((float) value / 128.0f);
}

//==============================================================================
void VexmoorSynth::renderBlock (float* left, float* right, int count, juce::MidiBuffer& midi, int sampleRate)
{
    handleMidi (midi);

    juce::AudioPlayHead::PositionInfo position;
    if (playHead != nullptr)
        if (auto p = playHead->getPosition())
            position = *p;

    if (sampleRate != 0 && sampleRate != context.sampleRate)
        context.setSampleRate (sampleRate);

    const double hostBpm = position.getBpm().orFallback (0.0);
    int bpm = (int) hostBpm;
    if (bpm <= 0)
        bpm = 120;
    context.setTempo (bpm);

    int remaining = count - count % kTimeGrain;

    const bool transportPlaying = position.getIsPlaying();
    bool gridDetection = false;
    if (! transportPlaying)
        gridPosition = -1;
    else
    {
        context.tickCounter = gridPosition;
        if (auto signature = position.getTimeSignature())
            gridDetection = signature->denominator > 0;
    }

    const double beats = (double) count / context.sampleRate * (hostBpm / 60.0);
    const double start = position.getPpqPosition().orFallback (0.0);

    int offset = 0;
    while (remaining > 0)
    {
        if (transportPlaying && ! context.playing)
            context.transition = 1;
        else if (! transportPlaying && context.playing)
            context.transition = 2;
        else
            context.transition = 0;
        context.playing = transportPlaying;

        const int frames = std::min (remaining, kMaxSubBlockFrames);
        vec::fill (mixBuffer.get(), 0.0f, 2 * frames);

        context.hostTickIndex = -1;
        if (gridDetection)
        {
            int previous = gridPosition;
            for (int i = 0; i < frames; ++i)
            {
                const int j = offset + i;
                // The grid argument is rounded to float before the floor.
                const float argument = (float) ((((double) j / count) * beats + start) * 4.0 * 4.0);
                const int g = (int) std::floor (argument);
                if (g > previous)
                    context.hostTickIndex = i;
                previous = g;
            }
            gridPosition = previous;
        }

        context.time += (double) ((float) frames / (float) context.sampleRate);
        context.blockSize = frames;
        context.update (frames);

        renderSubBlock (mixBuffer.get(), frames);

        const float* mix = mixBuffer.get();
        for (int i = 0; i < frames; ++i)
        {
            left[offset + i] = mix[2 * i];
            right[offset + i] = mix[2 * i + 1];
        }
        offset += frames;
        remaining -= frames;
    }
}

void VexmoorSynth::renderSubBlock (float* mix, int frames)
{
    patch.refreshArrays();
    arpRunner.enabled = patch.arrayInt[ParamIndex::playbackMode] == 2; // "ARP"

    {
        std::lock_guard<std::mutex> queue (queueLock);
        for (auto* event : eventQueue)
        {
            if (event->time < frames)
                dueEvents.push_back (event);
        }
        eventQueue.erase (std::remove_if (eventQueue.begin(), eventQueue.end(),
                                          [frames] (NoteEvent* e) { return e->time < frames; }),
                          eventQueue.end());
        for (auto* event : eventQueue)
            event->time -= frames;
    }

    const double bend = 0.3 * bendTarget.load (std::memory_order_relaxed) + 0.7 * patch.bendSmoothed;
    patch.bendSmoothed = bend == 0.0 ? 1.0f : (float) bend;

    {
        std::lock_guard<std::mutex> state (stateLock);

        // The morph position follows its target with a one-pole step per
        // sub-block. The blend comes before the notes start, so that a voice
        // starting now takes the values of now (its envelopes, its LFO set-up).
        morphSmoothed = (float) (0.3 * morphTarget.load (std::memory_order_relaxed) + 0.7 * morphSmoothed);
        patch.blendMorph (morphSmoothed);

        arpRunner.context = &context;
        arpRunner.pattern = &patch.arpPattern;
        chordStage();
        arpRunner.process (dueEvents);
        for (auto* event : dueEvents)
            dispatch (*event);
        eventPool.releaseAll (dueEvents);

        limitVoices();

        noiseGenerator.setColor (patch.arrayMorphed[ParamIndex::noiseColor]);
        const float* noise = noiseGenerator.render (frames);

        for (int i = (int) activeVoices.size() - 1; i >= 0; --i)
        {
            auto* voice = activeVoices[(size_t) i];
            if (voice->isAlive())
                voice->render (mix, frames, noise, morphSmoothed);
            else
            {
                voicePool.push_back (voice);
                activeVoices.erase (activeVoices.begin() + i);
            }
        }

        effects.process (mix, frames, patch.arrayA.get(), patch.arrayB.get(), patch.arrayMorphed.get(),
                         patch.arrayInt.get());
    }

    float peak = -1000000.0f;
    for (int i = 0; i < frames / 8; ++i)
        peak = std::max (peak, mix[i]);
    level.store (0.7f * peak, std::memory_order_relaxed);

    outputStage (mix, 2 * frames);
}

void VexmoorSynth::outputStage (float* mix, int values) noexcept
{
    for (int i = 0; i < values; ++i)
        mix[i] = (float) std::tanh ((double) (mix[i] * 0.42f));
}

//==============================================================================
void VexmoorSynth::chordStage()
{
    if (chordResetPending)
    {
        chordResetPending = false;
        for (std::size_t i = 0; i < patch.chordNotes.size(); ++i)
            dueEvents.push_back (eventPool.acquire (NoteEvent::releaseAll, 10, 1.0f, 0));
    }
    if (! patch.isChord)
        return;

    const std::size_t original = dueEvents.size();
    for (std::size_t e = 0; e < original; ++e)
    {
        const NoteEvent event = *dueEvents[e];
        if (event.type != NoteEvent::noteOn && event.type != NoteEvent::noteOff)
            continue;
        for (const int interval : patch.chordNotes)
        {
            int note = event.note + interval;
            if (note < 0)
                note += 12;
            dueEvents.push_back (eventPool.acquire (event.type, note, event.value, event.time));
        }
    }
}

void VexmoorSynth::dispatch (const NoteEvent& event)
{
    switch (event.type)
    {
        case NoteEvent::noteOn: noteOn (event); break;
        case NoteEvent::noteOff: noteOff (event); break;
        case NoteEvent::releaseAll:
            releaseEveryVoice();
            monoHeld.clear();
            break;
        default: break; // bends and wheel moves took effect when posted
    }
}

int VexmoorSynth::glideSamples (float seconds) const noexcept
{
    return (int) (seconds * (float) context.sampleRate);
}

void VexmoorSynth::noteOn (const NoteEvent& event)
{
    // Notes transposed below the table (by the chord stage) are not played.
    if (event.note < 0 || event.note >= PitchTable::kSize)
        return;
    const float f = pitchTable.frequency (event.note);
    if (f > 4000.0f)
        return;

    const float* A = patch.arrayA.get();
    const int* I = patch.arrayInt.get();

    if (I[ParamIndex::playbackMode] == 1 || event.slide)
    {
        monoHeld.push_back (event.note);
        VexmoorPlayer* playing = nullptr;
        for (auto* voice : activeVoices)
            if (! voice->isReleased())
            {
                playing = voice;
                break;
            }
        for (auto it = activeVoices.rbegin(); it != activeVoices.rend(); ++it)
            if ((*it)->isReleased())
                (*it)->kill();
        if (playing != nullptr)
        {
            playing->note = event.note;
            playing->glideTo (f, glideSamples (A[ParamIndex::glideSpeed] * 4.0f));
            return;
        }
    }

    VexmoorPlayer* voice = takeVoice();
    voice->start (patch, morphSmoothed);
    voice->startTime = context.time;
    voice->setGainPan (0.7f - (1.0f - event.value) * A[ParamIndex::velToVolume] * 0.65f, 0.0f);
    voice->velocity = event.value;

    if (event.slide && lastNote > 0)
    {
        voice->setFrequency (lastFrequency);
        voice->note = lastNote;
        voice->glideTo (f, glideSamples (A[ParamIndex::glideSpeed]));
    }
    else
    {
        voice->setFrequency (f);
        voice->note = event.note;
    }
    voice->startDelay = event.time;
    lastFrequency = f;
    lastNote = event.note;
    activeVoices.push_back (voice);
}

void VexmoorSynth::noteOff (const NoteEvent& event)
{
    if (patch.arrayInt[ParamIndex::playbackMode] == 1)
    {
        removeAll (monoHeld, event.note);
        if (! monoHeld.empty())
        {
            if (! activeVoices.empty() && monoHeld.back() >= 0 && monoHeld.back() < PitchTable::kSize)
                activeVoices.back()->glideTo (pitchTable.frequency (monoHeld.back()),
                                              glideSamples (patch.arrayA[ParamIndex::glideSpeed]));
            return;
        }
        releaseEveryVoice();
    }

    for (auto* voice : activeVoices)
        if (voice->note == event.note && ! voice->isReleased())
        {
            voice->noteOff();
            break;
        }
}

void VexmoorSynth::releaseEveryVoice()
{
    for (auto* voice : activeVoices)
        voice->noteOff();
}

void VexmoorSynth::limitVoices()
{
    const int excess = (int) activeVoices.size() - kMaxVoices;
    for (int i = 0; i < excess; ++i)
        activeVoices[(size_t) i]->releaseFast (0.05f);
}

VexmoorPlayer* VexmoorSynth::takeVoice()
{
    if (voicePool.empty())
    {
        voices.push_back (std::make_unique<VexmoorPlayer> (context));
        voicePool.push_back (voices.back().get());
    }
    auto* voice = voicePool.back();
    voicePool.pop_back();
    return voice;
}

//==============================================================================
void VexmoorSynth::applyPreset (const juce::XmlElement* dictionary)
{
    std::lock_guard<std::mutex> edit (presetLock);
    {
        std::lock_guard<std::mutex> state (stateLock);
        patch.applyPresetDictionary (dictionary);
        if (patch.isChord)
            captureChordLocked();
        else
            chordResetPending = true;
        panicLocked();
    }
    postMorphWheel (patch.initialMod);
}

std::unique_ptr<juce::XmlElement> VexmoorSynth::buildPresetDictionary()
{
    std::lock_guard<std::mutex> edit (presetLock);
    return patch.buildPresetDictionary();
}

void VexmoorSynth::captureChord()
{
    std::lock_guard<std::mutex> edit (presetLock);
    std::lock_guard<std::mutex> state (stateLock);
    captureChordLocked();
}

void VexmoorSynth::captureChordLocked()
{
    patch.isChord = true;
    std::vector<int> held;
    {
        std::lock_guard<std::mutex> queue (queueLock);
        held = heldNotes;
    }
    if (held.size() < 2)
    {
        if (patch.chordNotes.empty())
        {
            patch.isChord = false;
            chordResetPending = true;
        }
        return;
    }
    patch.chordNotes.clear();
    for (std::size_t i = 1; i < held.size(); ++i)
        patch.chordNotes.push_back (held[i] - held[0]);
}

void VexmoorSynth::chordOff()
{
    std::lock_guard<std::mutex> edit (presetLock);
    std::lock_guard<std::mutex> state (stateLock);
    patch.isChord = false;
    chordResetPending = true;
}

void VexmoorSynth::panic()
{
    std::lock_guard<std::mutex> state (stateLock);
    panicLocked();
}

void VexmoorSynth::panicLocked()
{
    for (auto* voice : activeVoices)
        voicePool.push_back (voice);
    activeVoices.clear();
    {
        std::lock_guard<std::mutex> queue (queueLock);
        eventPool.releaseAll (eventQueue);
        heldNotes.clear();
    }
    monoHeld.clear();
    arpRunner.clearHeldNotes();
    effects.panic();
}

void VexmoorSynth::utility (int operation)
{
    const auto& params = patch.getParams();
    switch (operation)
    {
        case 0:
        {
            std::lock_guard<std::mutex> edit (presetLock);
            {
                std::lock_guard<std::mutex> state (stateLock);
                patch.initPatch();
                patch.isChord = false;
                chordResetPending = true;
            }
            postMorphWheel (0.0f);
            break;
        }
        case 1: PatchOperations::copyMorphAToB (params); break;
        case 2: PatchOperations::swapMorphGroups (params); break;
        case 3: PatchOperations::swapFilters (params); break;
        case 4: PatchOperations::randomize (params); break;
        case 5: panic(); break;
        default: break;
    }
}
