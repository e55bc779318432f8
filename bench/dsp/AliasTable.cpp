#include "AliasTable.h"

#include "dsp/BlepOsc.h"
#include "dsp/DSPContext.h"
#include "dsp/Fft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <vector>

namespace
{
constexpr double kSampleRate = 44100.0;
constexpr int kSettle = 8192;
constexpr int kTransform = 1 << 17; // 3 s: bins of 0.34 Hz
constexpr int kBlock = 512;
// Bins around each harmonic that belong to it (the window's main lobe).
constexpr int kGuardBins = 12;

double besselI0 (double x)
{
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 200; ++k)
    {
        term *= (x / 2.0) / k;
        sum += term * term;
        if (term * term < sum * 1e-18)
            break;
    }
    return sum;
}

std::vector<float> render (OscMode mode, double frequencyHz, float width, bool shortResidual)
{
    DSPContext context;
    BlepOsc osc (context);
    osc.setShortBlep (shortResidual);
    std::vector<float> freq (kBlock, (float) (frequencyHz / kSampleRate));
    std::vector<float> out;
    out.reserve ((size_t) (kSettle + kTransform));
    while ((int) out.size() < kSettle + kTransform)
    {
        osc.setParams (mode, 0.0f, width);
        osc.setInputs (freq.data(), nullptr, nullptr);
        const float* y = osc.render (kBlock);
        out.insert (out.end(), y, y + kBlock);
    }
    return out;
}

struct Alias
{
    double levelDb;
    double atHz;
};

/** A Kaiser window with sidelobes near -120 dB keeps the harmonics' skirts
    below what is measured. */
Alias strongestAlias (const std::vector<float>& x, double f0Hz)
{
    constexpr double beta = 16.0;
    const double norm = besselI0 (beta);
    std::vector<std::complex<double>> a ((size_t) kTransform);
    for (int i = 0; i < kTransform; ++i)
    {
        const double r = 2.0 * i / (kTransform - 1) - 1.0;
        a[(size_t) i] = (double) x[(size_t) (kSettle + i)] * besselI0 (beta * std::sqrt (std::max (0.0, 1.0 - r * r))) / norm;
    }
    Fft::transform (a, false);

    const double binHz = kSampleRate / kTransform;
    const int fundamentalBin = (int) std::lround (f0Hz / binHz);
    double fundamental = 0.0;
    for (int i = fundamentalBin - kGuardBins; i <= fundamentalBin + kGuardBins; ++i)
        fundamental = std::max (fundamental, std::abs (a[(size_t) i]));

    Alias worst { -400.0, 0.0 };
    const int lowest = (int) (20.0 / binHz); // below 20 Hz is the window's DC lobe
    for (int i = lowest; i < kTransform / 2; ++i)
    {
        const double f = i * binHz;
        const double harmonic = std::round (f / f0Hz) * f0Hz;
        if (std::fabs (f - harmonic) / binHz <= kGuardBins)
            continue;
        const double level = 20.0 * std::log10 (std::abs (a[(size_t) i]) / fundamental + 1e-300);
        if (level > worst.levelDb)
            worst = { level, f };
    }
    return worst;
}
} // namespace

void printAliasTable()
{
    struct Wave
    {
        const char* name;
        OscMode mode;
        float width;
    };
    const Wave waves[] = { { "saw", OscMode::Saw, 0.5f },
                           { "pulse (width 0.5)", OscMode::Pulse, 0.5f },
                           { "pulse (width 1)", OscMode::Pulse, 1.0f } };
    const double fundamentals[] = { 1000.0, 5000.0, 10000.0 };

    std::printf ("Alias suppression at 44.1 kHz: strongest aliased partial relative to the fundamental\n");
    std::printf ("(Kaiser-windowed FFT of 2^17 samples; in brackets where it lies)\n\n");
    std::printf ("%-20s %-9s", "wave", "residual");
    for (double f : fundamentals)
        std::printf ("  %14.0f Hz      ", f);
    std::printf ("\n");
    for (const auto& wave : waves)
        for (bool shortResidual : { false, true })
        {
            std::printf ("%-20s %-9s", wave.name, shortResidual ? "short" : "long");
            for (double f : fundamentals)
            {
                const auto alias = strongestAlias (render (wave.mode, f, wave.width, shortResidual), f);
                std::printf ("  %7.1f dB (%5.0f Hz)", alias.levelDb, alias.atHz);
            }
            std::printf ("\n");
        }
    std::printf ("\nThe long residual serves each oscillator's main voice, the short one its two unison partners.\n\n");
    std::fflush (stdout);
}
