#include "DspTestSupport.h"

#include "dsp/Fft.h"
#include "dsp/MinimumPhaseStep.h"
#include "dsp/OscTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

using namespace dsptest;

namespace
{
constexpr int kPoints = MinimumPhaseStep::kPoints;
constexpr int kPerSample = MinimumPhaseStep::kOversampling;
} // namespace

TEST (MinimumPhaseStep, EndsAtExactlyOne)
{
    const float* s = OscTables::step();
    EXPECT_EQ (s[kPoints - 1], 1.0f);
    const float* r = OscTables::stepResidual();
    EXPECT_EQ (r[kPoints - 1], 0.0f);
    for (int i = 0; i < kPoints; ++i)
        ASSERT_EQ (r[i], 1.0f - s[i]);
}

TEST (MinimumPhaseStep, RisesFromSilenceWithoutPreRinging)
{
    const float* s = OscTables::step();
    EXPECT_LT (std::fabs (s[0]), 1e-4f);
    EXPECT_LT (s[kPerSample], 0.05f);         // one sample after the edge
    EXPECT_GT (s[4 * kPerSample], 0.9f);      // most of the way up after four
    for (int i = 1; i < 2 * kPerSample; ++i)  // a clean, monotonic start
        ASSERT_GE (s[i], s[i - 1]) << i;
}

TEST (MinimumPhaseStep, OvershootsOnceAndSettles)
{
    const float* s = OscTables::step();
    float peak = 0.0f;
    int peakAt = 0;
    for (int i = 0; i < kPoints; ++i)
        if (s[i] > peak)
        {
            peak = s[i];
            peakAt = i;
        }
    EXPECT_GT (peak, 1.05f);
    EXPECT_LT (peak, 1.35f);
    EXPECT_LT (peakAt, 8 * kPerSample);
    for (int i = 24 * kPerSample; i < kPoints; ++i)
        ASSERT_NEAR (s[i], 1.0f, 1e-3f) << i;
}

TEST (MinimumPhaseStep, IsBandLimitedBelowNyquist)
{
    // The step's derivative is the filter: its response beyond the output
    // sample rate's Nyquist frequency (1/128 of the point rate) is far down.
    const float* s = OscTables::step();
    const int n = 1 << 15;
    std::vector<std::complex<double>> a ((size_t) n);
    for (int i = 0; i < kPoints - 1; ++i)
        a[(size_t) i] = (double) s[i + 1] - (double) s[i];
    Fft::transform (a, false);
    const double dc = std::abs (a[0]);
    double passband = 0.0, stopband = 0.0;
    for (int i = 1; i < n / 2; ++i)
    {
        const double f = (double) i / n * kPerSample; // cycles per output sample
        const double m = std::abs (a[(size_t) i]) / dc;
        if (f < 0.3)
            passband = std::max (passband, std::fabs (dB (m)));
        if (f > 0.5)
            stopband = std::max (stopband, m);
    }
    EXPECT_LT (passband, 0.5);
    EXPECT_LT (dB (stopband), -85.0);
}
