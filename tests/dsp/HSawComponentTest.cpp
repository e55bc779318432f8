#include "DspTestSupport.h"

#include "dsp/DSPContext.h"
#include "dsp/HSawComponent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace dsptest;

namespace
{
std::vector<float> renderSuperSaw (HSawComponent& saw, double frequencyHz, float detune, float mix, int total)
{
    std::vector<float> freq (512, (float) cycles (frequencyHz));
    return renderInBlocks ([&] (int n) { return saw.render (freq.data(), detune, mix, n); }, total);
}

constexpr float kBase[7] = { 0.8899767994880676f, 0.9371156096458435f, 0.980476438999176f, 1.0f,
                             1.0199122428894043f, 1.062165379524231f, 1.107452392578125f };
} // namespace

TEST (HSawComponent, DetuneCurveSpreadsTheSawsByTheKnob)
{
    DSPContext context;
    HSawComponent saw (context);
    EXPECT_NEAR (HSawComponent::detuneAmount (0.0f), 0.0030115596, 1e-12);
    double previous = 0.0;
    for (float d : { 0.1f, 0.3f, 0.5f, 0.7f, 0.9f, 1.0f })
    {
        const double o = HSawComponent::detuneAmount (d);
        EXPECT_GT (o, previous) << d;
        previous = o;
        std::vector<float> freq (32, 0.01f);
        saw.render (freq.data(), d, 0.5f, 32);
        for (int i = 0; i < 7; ++i)
            EXPECT_FLOAT_EQ (saw.getRatios()[i], (kBase[i] - 1.0f) * (float) o + 1.0f);
    }
    EXPECT_NEAR (previous, 1.0, 0.05); // full detune reaches the base ratios
}

TEST (HSawComponent, PlaysAtTheNoteWithLittleDetune)
{
    DSPContext context;
    HSawComponent saw (context);
    saw.reset();
    const auto x = renderSuperSaw (saw, 440.0, 0.0f, 0.0f, 4096 + 16384);
    EXPECT_NEAR (hz (peakFrequency (x.data() + 4096, 16384)), 440.0, 2.0);
}

TEST (HSawComponent, SideMixBringsInTheDetunedSaws)
{
    // With detune 1 the outer saws sit at 0.89 and 1.107 times the note.
    DSPContext context;
    HSawComponent dry (context), wet (context);
    dry.reset();
    wet.reset();
    const auto a = renderSuperSaw (dry, 1000.0, 1.0f, 0.0f, 4096 + 16384);
    const auto b = renderSuperSaw (wet, 1000.0, 1.0f, 1.0f, 4096 + 16384);
    const double f = 1000.0 * HSawComponent::detuneAmount (1.0f) * (kBase[6] - 1.0) + 1000.0;
    const double sideDry = amplitudeAt (a.data() + 4096, 16384, cycles (f));
    const double sideWet = amplitudeAt (b.data() + 4096, 16384, cycles (f));
    EXPECT_GT (dB (sideWet / sideDry), 18.0); // side gain 0.59 against 0.044
}

TEST (HSawComponent, OutputIsCentred)
{
    DSPContext context;
    HSawComponent saw (context);
    saw.reset();
    const auto x = renderSuperSaw (saw, 200.0, 0.5f, 0.5f, 44100);
    double mean = 0.0;
    for (size_t i = 4096; i < x.size(); ++i)
        mean += x[i];
    mean /= (double) (x.size() - 4096);
    EXPECT_LT (std::fabs (mean), 5e-3);
    EXPECT_TRUE (allFinite (x.data(), (int) x.size()));
}

TEST (HSawComponent, ResetDrawsNewStartPhases)
{
    DSPContext context;
    HSawComponent a (context), b (context);
    a.reset();
    b.reset();
    const auto x = renderSuperSaw (a, 300.0, 0.4f, 0.6f, 512);
    const auto y = renderSuperSaw (b, 300.0, 0.4f, 0.6f, 512);
    EXPECT_NE (x, y);
}
