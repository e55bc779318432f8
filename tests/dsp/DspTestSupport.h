#pragma once

#include <functional>
#include <vector>

/** Signal helpers of the DSP tests: test tones, spectra and level readings.
    Frequencies are in cycles per sample. */
namespace dsptest
{
constexpr double kSampleRate = 44100.0;

inline double hz (double cyclesPerSample) { return cyclesPerSample * kSampleRate; }
inline double cycles (double frequencyHz) { return frequencyHz / kSampleRate; }

std::vector<float> sine (double cyclesPerSample, int n, double amplitude = 1.0);

/** Amplitude of the component at one frequency (Hann-windowed DFT bin). */
double amplitudeAt (const float* x, int n, double cyclesPerSample);
inline double amplitudeAt (const std::vector<float>& x, double cyclesPerSample)
{
    return amplitudeAt (x.data(), (int) x.size(), cyclesPerSample);
}

/** Magnitudes of the Blackman-Harris windowed spectrum, bins 0..n/2 (n a power of two). */
std::vector<double> spectrum (const float* x, int n);
/** The strongest spectral peak between two frequencies, with parabolic interpolation. */
double peakFrequency (const float* x, int n, double low = 0.0, double high = 0.5);

/** A block processor: filters data[0..n) in place. */
using Processor = std::function<void (float* data, int n)>;
/** Steady-state gain in dB of a processor for a sine, fed in blocks of blockSize. */
double gainDb (const Processor& process, double cyclesPerSample, int blockSize = 512, double amplitude = 1.0);

/** Concatenates the output of a renderer called for blocks of at most block samples. */
std::vector<float> renderInBlocks (const std::function<const float* (int n)>& render, int total, int block = 512);

/** The cutoff value (2^(9.28 u + 5) Hz) that puts a filter at a frequency. */
float cutoffFor (double frequencyHz);

bool allFinite (const float* x, int n);
double dB (double ratio);
} // namespace dsptest
