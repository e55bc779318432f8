#include "engine/SynthHost.h"

#include "dsp/VectorOps.h"

#include <cmath>

namespace
{
/** The host's play head as seen from a later part of a long host block. */
class OffsetPlayHead : public juce::AudioPlayHead
{
public:
    OffsetPlayHead (juce::AudioPlayHead* hostPlayHead, int64_t offsetSamples, int rate)
        : host (hostPlayHead), offset (offsetSamples), sampleRate (rate)
    {
    }

    juce::Optional<PositionInfo> getPosition() const override
    {
        if (host == nullptr)
            return {};
        auto position = host->getPosition();
        if (! position.hasValue() || sampleRate <= 0)
            return position;
        const double seconds = (double) offset / sampleRate;
        if (auto samples = position->getTimeInSamples())
            position->setTimeInSamples (*samples + offset);
        if (auto time = position->getTimeInSeconds())
            position->setTimeInSeconds (*time + seconds);
        if (auto ppq = position->getPpqPosition())
            if (auto bpm = position->getBpm())
                position->setPpqPosition (*ppq + seconds * *bpm / 60.0);
        return position;
    }

private:
    juce::AudioPlayHead* host;
    int64_t offset;
    int sampleRate;
};

// Room for the MIDI of one long host block, reserved once so that splitting
// never allocates on the audio thread.
constexpr int kPieceMidiBytes = 65536;
} // namespace

SynthHost::SynthHost() : engine (std::make_unique<VexmoorSynth>())
{
    pieceMidi.ensureSize (kPieceMidiBytes);
}

SynthHost::~SynthHost() = default;

int SynthHost::getBufferedSamples() const noexcept
{
    int available = writePos - readPos;
    if (available < 0)
        available += kRingSize;
    return available;
}

void SynthHost::render (float* left, float* right, int count, juce::MidiBuffer& midi, int sampleRate)
{
    if (count <= 0)
        return;

    if (count <= kMaxPiece)
        renderPiece (left, right, count, midi, sampleRate);
    else
    {
        // Longer blocks than the ring can take ahead are served in parts; each
        // part gets its own MIDI and sees the transport where it starts.
        auto* hostPlayHead = engine->getPlayHead();
        for (int offset = 0; offset < count; offset += kMaxPiece)
        {
            const int length = std::min (kMaxPiece, count - offset);
            pieceMidi.clear();
            pieceMidi.addEvents (midi, offset, length, -offset);
            OffsetPlayHead piecePlayHead (hostPlayHead, offset, sampleRate);
            engine->setPlayHead (&piecePlayHead);
            renderPiece (left + offset, right + offset, length, pieceMidi, sampleRate);
        }
        engine->setPlayHead (hostPlayHead);
        midi.clear();
    }
    updateMeter();
}

void SynthHost::renderPiece (float* left, float* right, int count, juce::MidiBuffer& midi, int sampleRate)
{
    int need = count - getBufferedSamples();
    if (need > 0 && need % VexmoorSynth::kTimeGrain != 0)
        need += VexmoorSynth::kTimeGrain - need % VexmoorSynth::kTimeGrain;

    if (need > 0)
    {
        engine->renderBlock (fifoLeft.get() + writePos, fifoRight.get() + writePos, need, midi, sampleRate);
        writePos += need;
        if (writePos >= kRingSize)
        {
            const int spill = writePos - kRingSize;
            vec::copy (fifoLeft.get(), fifoLeft.get() + kRingSize, spill);
            vec::copy (fifoRight.get(), fifoRight.get() + kRingSize, spill);
            writePos = spill;
        }
    }

    for (int i = 0; i < count; ++i)
    {
        left[i] = fifoLeft[(size_t) readPos];
        right[i] = fifoRight[(size_t) readPos];
        if (++readPos == kRingSize)
            readPos = 0;
    }
}

void SynthHost::updateMeter() noexcept
{
    const float p = engine->getLevel();
    meterHold = p > meterHold ? p : meterHold * 0.8f;
    const float x = meterHold / 1.2f;
    const float dB = x < 0.0001f ? -80.0f : 20.0f * std::log10 (x);
    meter.store (juce::jlimit (0.0f, 1.0f, dB / 30.0f + 1.0f), std::memory_order_relaxed);
}
