#include "DspTestSupport.h"

#include "dsp/BiqFilter.h"
#include "dsp/Biquad.h"
#include "dsp/DSPContext.h"
#include "dsp/StereoBiqFilter.h"
#include "dsp/StrictFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace dsptest;
using Shape = BiquadCoefficients::Shape;

TEST (Biquad, PeakShapeBoostsBy24DbAtTheCentre)
{
    DSPContext context;
    BiqFilter peak (context, BiqFilter::peak);
    const double g = gainDb ([&] (float* x, int n) { peak.process (2000.0f, 1.0f, x, n); }, cycles (2000.0));
    EXPECT_NEAR (g, 20.0 * std::log10 (16.0), 0.1);
    BiqFilter other (context, BiqFilter::peak);
    EXPECT_NEAR (gainDb ([&] (float* x, int n) { other.process (2000.0f, 1.0f, x, n); }, cycles (50.0)), 0.0, 0.2);
}

TEST (Biquad, ZeroDbBandPassPeaksAtUnity)
{
    DSPContext context;
    StrictFilter band (context);
    const double g = gainDb (
        [&] (float* x, int n) {
            std::vector<float> out ((size_t) n, 0.0f);
            band.processAdd (x, out.data(), 1.0f, n, 1500.0f, 0.5f);
            std::copy (out.begin(), out.end(), x);
        },
        cycles (1500.0));
    EXPECT_NEAR (g, 0.0, 0.05);
}

TEST (Biquad, DesignStaysFiniteOutsideTheAudioBand)
{
    for (Shape shape : { Shape::lowPass, Shape::highPass, Shape::bandPassPeakQ, Shape::bandPassZeroDb, Shape::notch,
                         Shape::allPass, Shape::peakPlus24dB })
        for (float f : { -5.0f, 0.0f, 22050.0f, 30000.0f, 1.0e9f })
            for (float bw : { -1.0f, 0.0f, 17.8f, 1000.0f })
            {
                const auto c = BiquadCoefficients::design (shape, f, bw, 44100.0f);
                ASSERT_TRUE (std::isfinite (c.b0) && std::isfinite (c.b1) && std::isfinite (c.b2) && std::isfinite (c.a1)
                             && std::isfinite (c.a2))
                    << (int) shape << " " << f << " " << bw;
            }
}

TEST (Biquad, LongBuffersAreFilteredWhole)
{
    DSPContext context;
    StereoBiqFilter split (context);
    split.setMode (BiqFilter::lowPass);
    std::vector<float> bus (2 * 5000, 1.0f);
    split.process (100.0f, 1.0f, bus.data(), 5000);
    EXPECT_NEAR (bus[2 * 4999], 1.0f, 1e-3f); // settled DC, even past the work buffers
    EXPECT_NEAR (bus[2 * 4999 + 1], 1.0f, 1e-3f);

    StrictFilter band (context);
    std::vector<float> in (6000, 0.0f), out (6000, 0.0f);
    in[5000] = 1.0f;
    band.processAdd (in.data(), out.data(), 1.0f, 6000, 1000.0f, 1.0f);
    EXPECT_NE (out[5001], 0.0f);
}
