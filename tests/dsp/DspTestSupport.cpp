#include "DspTestSupport.h"

#include "SignalAnalysis.h"

#include "dsp/Fft.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace dsptest
{
std::vector<float> sine (double f, int n, double amplitude)
{
    std::vector<float> x ((size_t) n);
    for (int i = 0; i < n; ++i)
        x[(size_t) i] = (float) (amplitude * std::sin (2.0 * M_PI * f * i));
    return x;
}

double amplitudeAt (const float* x, int n, double f)
{
    // Frequencies here are in cycles per sample: a sample rate of 1.
    return SignalAnalysis::magnitudeAt (std::vector<float> (x, x + n), 0, n, f, 1.0);
}

std::vector<double> spectrum (const float* x, int n)
{
    std::vector<std::complex<double>> a ((size_t) n);
    for (int i = 0; i < n; ++i)
    {
        const double t = (double) i / n;
        const double w = 0.35875 - 0.48829 * std::cos (2 * M_PI * t) + 0.14128 * std::cos (4 * M_PI * t)
                         - 0.01168 * std::cos (6 * M_PI * t);
        a[(size_t) i] = (double) x[i] * w;
    }
    Fft::transform (a, false);
    std::vector<double> mag ((size_t) n / 2 + 1);
    for (size_t i = 0; i < mag.size(); ++i)
        mag[i] = std::abs (a[i]);
    return mag;
}

double peakFrequency (const float* x, int n, double low, double high)
{
    const auto mag = spectrum (x, n);
    const int first = std::max (1, (int) std::ceil (low * n));
    const int last = std::min ((int) mag.size() - 2, (int) std::floor (high * n));
    int best = first;
    for (int i = first; i <= last; ++i)
        if (mag[(size_t) i] > mag[(size_t) best])
            best = i;
    const double a = std::log (mag[(size_t) best - 1] + 1e-30);
    const double b = std::log (mag[(size_t) best] + 1e-30);
    const double c = std::log (mag[(size_t) best + 1] + 1e-30);
    const double denom = a - 2 * b + c;
    const double offset = denom != 0.0 ? 0.5 * (a - c) / denom : 0.0;
    return (best + offset) / n;
}

double gainDb (const Processor& process, double f, int blockSize, double amplitude)
{
    constexpr int kSettle = 16384;
    constexpr int kMeasure = 16384;
    auto x = sine (f, kSettle + kMeasure, amplitude);
    for (int pos = 0; pos < (int) x.size(); pos += blockSize)
        process (x.data() + pos, std::min (blockSize, (int) x.size() - pos));
    return dB (amplitudeAt (x.data() + kSettle, kMeasure, f) / amplitude);
}

std::vector<float> renderInBlocks (const std::function<const float* (int n)>& render, int total, int block)
{
    std::vector<float> out;
    out.reserve ((size_t) total);
    for (int pos = 0; pos < total; pos += block)
    {
        const int n = std::min (block, total - pos);
        const float* y = render (n);
        out.insert (out.end(), y, y + n);
    }
    return out;
}

float cutoffFor (double frequencyHz)
{
    return (float) ((std::log2 (frequencyHz) - 5.0) / 9.28);
}

bool allFinite (const float* x, int n)
{
    return std::all_of (x, x + n, [] (float v) { return std::isfinite (v); });
}

double dB (double ratio)
{
    return 20.0 * std::log10 (std::max (ratio, 1e-30));
}
} // namespace dsptest
