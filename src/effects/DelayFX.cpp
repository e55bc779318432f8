#include "effects/DelayFX.h"

#include "effects/EffectBlock.h"

#include <algorithm>

namespace
{
// Feedback below this (-240 dB per echo) is no feedback: the echo would be
// inaudible and its product with the memory could fall into denormal numbers.
constexpr float kLeastFeedback = 1.0e-12f;
} // namespace

DelayFX::DelayFX (DSPContext& ctx) : KWDSPModuleBase (ctx) {}

void DelayFX::clear() noexcept
{
    ring.clear();
}

DelayFX::Lengths DelayFX::computeLengths() const noexcept
{
    const int bpm = tempo > 0 ? tempo : 120;
    // One sixteenth note in samples, in double.
    const double sixteenth = (double) sampleRate * 60.0 / bpm * 0.25;

    // Taps outside 1..4 sixteenths (or not a number) are held to that range.
    auto taps = [] (float t) { return t >= 1.0f ? (t <= 4.0f ? t : 4.0f) : 1.0f; };
    float left = taps (tapsLeft);
    float right = taps (tapsRight);
    if (sync)
    {
        left = (float) (int) left;
        right = (float) (int) right;
    }

    double lengthLeft = (double) left * sixteenth;
    double lengthRight = (double) right * sixteenth;
    // A pattern longer than the memory (very slow tempos, high sample rates)
    // plays at double speed, as often as needed: the echoes stay on the
    // tempo's grid and keep their left-right relation.
    while (std::max (lengthLeft, lengthRight) > (double) kRingFrames)
    {
        lengthLeft *= 0.5;
        lengthRight *= 0.5;
    }
    return { std::max (1, (int) lengthLeft), std::max (1, (int) lengthRight) };
}

void DelayFX::process (float* x, int n) noexcept
{
    if (tempo == 0)
        tempo = 120;

    const Lengths lengths = computeLengths();
    float feedbackGain = EffectBlock::clampUnit (feedback);
    if (feedbackGain < kLeastFeedback)
        feedbackGain = 0.0f;
    const float wet = EffectBlock::clampUnit (mix);

    // A run never reads a frame it writes itself, so it is no longer than the
    // shorter delay; delays shorter than a block then still echo exactly.
    const int longestRun = std::min ({ lengths.left, lengths.right, (int) temp.getSize() / 2 });
    while (n > 0)
    {
        const int frames = std::min (n, longestRun);
        processRun (x, frames, lengths, feedbackGain, wet);
        x += 2 * frames;
        n -= frames;
    }
}

void DelayFX::readTap (int start, int channel, float gain, int dstChannel, int frames) noexcept
{
    if (start < 0)
        start += kRingFrames;
    const float* r = ring.get();
    float* t = temp.get();
    int frame = start;
    for (int i = 0; i < frames; ++i)
    {
        t[2 * i + dstChannel] = r[2 * frame + channel] * gain;
        if (++frame == kRingFrames)
            frame = 0;
    }
}

void DelayFX::processRun (float* x, int frames, Lengths lengths, float feedbackGain, float wet) noexcept
{
    readTap (writePos - lengths.left, 0, feedbackGain, cross ? 1 : 0, frames);
    readTap (writePos - lengths.right, 1, feedbackGain, cross ? 0 : 1, frames);

    const float* t = temp.get();
    float* r = ring.get();
    const float dry = 1.0f - wet;
    int frame = writePos;
    for (int i = 0; i < frames; ++i)
    {
        float* slot = r + 2 * frame;
        slot[0] = EffectBlock::snapToZero (0.9f * x[2 * i] + t[2 * i]);
        slot[1] = EffectBlock::snapToZero (0.9f * x[2 * i + 1] + t[2 * i + 1]);
        x[2 * i] = x[2 * i] * dry + wet * slot[0];
        x[2 * i + 1] = x[2 * i + 1] * dry + wet * slot[1];
        if (++frame == kRingFrames)
            frame = 0;
    }
    writePos = frame;
}
