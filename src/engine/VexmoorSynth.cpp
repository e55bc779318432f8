#include "engine/VexmoorSynth.h"

#include "dsp/VectorOps.h"

#include <algorithm>
#include <cmath>

VexmoorSynth::VexmoorSynth()
{
    patch.initPatch();
    patch.bendSmoothed = 1.0f;
}

VexmoorSynth::~VexmoorSynth() = default;

void VexmoorSynth::applyPreset (const juce::XmlElement* dictionary)
{
    patch.applyPresetDictionary (dictionary);
}

void VexmoorSynth::renderBlock (float* left, float* right, int count, juce::MidiBuffer& midi, int sampleRate)
{
    midi.clear();

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

    // The morph position follows its target with a one-pole step per sub-block.
    morphSmoothed = (float) (0.3 * morphTarget + 0.7 * morphSmoothed);
    patch.blendMorph (morphSmoothed);

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
