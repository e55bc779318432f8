#pragma once

#include "SignalAnalysis.h"

#include <cmath>
#include <cstdint>
#include <vector>

/** Shared by the effect tests: test signals, small measurements and a
    block-wise runner. */
namespace EffectTest
{
/** Reproducible white noise in -amplitude..amplitude. */
inline std::vector<float> noise (int values, float amplitude = 0.5f, std::uint32_t seed = 12345u)
{
    std::vector<float> v ((size_t) values);
    for (auto& x : v)
    {
        seed = seed * 1664525u + 1013904223u;
        x = amplitude * ((float) (seed >> 8) / 8388608.0f - 1.0f);
    }
    return v;
}

/** n interleaved frames of a sine of freq Hz on both channels. */
inline std::vector<float> sine (int frames, double freq, double sampleRate, float amplitude = 0.5f)
{
    std::vector<float> v ((size_t) (2 * frames));
    for (int i = 0; i < frames; ++i)
        v[(size_t) (2 * i)] = v[(size_t) (2 * i + 1)] = amplitude * (float) std::sin (2.0 * M_PI * freq * i / sampleRate);
    return v;
}

/** One channel of interleaved stereo frames. */
inline std::vector<float> channel (const std::vector<float>& interleaved, int which)
{
    std::vector<float> v (interleaved.size() / 2);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = interleaved[2 * i + (size_t) which];
    return v;
}

/** Peak absolute value of one channel of interleaved frames [from, to). */
inline float peak (const std::vector<float>& interleaved, int which, int from, int to)
{
    return SignalAnalysis::peak (channel (interleaved, which), from, to);
}

/** The first frame at or after from whose value on channel is not zero; -1 if none. */
inline int firstNonZero (const std::vector<float>& v, int channel, int from)
{
    const int frames = (int) v.size() / 2;
    for (int i = from; i < frames; ++i)
        if (v[(size_t) (2 * i + channel)] != 0.0f)
            return i;
    return -1;
}

/** Runs process (buffer, frames) over the whole interleaved signal in blocks. */
template <typename Effect>
inline void runBlocks (Effect& effect, std::vector<float>& signal, int blockFrames = 512)
{
    const int frames = (int) signal.size() / 2;
    for (int pos = 0; pos < frames; pos += blockFrames)
    {
        const int n = frames - pos < blockFrames ? frames - pos : blockFrames;
        effect.process (signal.data() + 2 * pos, n);
    }
}
} // namespace EffectTest
