#pragma once

#include <vector>

/** Measurements on rendered audio, for tests that check a sound rather than a law. */
namespace SignalAnalysis
{
/** Fundamental frequency from the rising zero crossings of x[begin, end),
    interpolated between samples; 0 when there are fewer than two crossings. */
double frequency (const std::vector<float>& x, int begin, int end, double sampleRate);
double rms (const std::vector<float>& x, int begin, int end);
float peak (const std::vector<float>& x, int begin, int end);
/** Index of the first sample whose magnitude exceeds threshold, or -1. */
int firstAbove (const std::vector<float>& x, float threshold);
/** Magnitude of the component at freq Hz (Goertzel over a Hann window),
    relative to a full-scale sine. */
double magnitudeAt (const std::vector<float>& x, int begin, int end, double freq, double sampleRate);
} // namespace SignalAnalysis
