#include "FilterTestRig.h"

#include "dsp/Biquad.h"
#include "dsp/DSPContext.h"
#include "dsp/DistFilter.h"
#include "dsp/FilterFX.h"
#include "params/ParameterTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace dsptest;

namespace
{
using Unit = FilterRig;
constexpr double kCornerHz = 1000.0;
} // namespace

TEST (FilterFXCore, BandwidthFollowsTheResonanceLaw)
{
    struct Case
    {
        int type;
        float resonance;
        float octaves;
    };
    const Case cases[] = {
        { FilterFX::lowPass, 0.0f, 2.3713737f },       // q = 0.35
        { FilterFX::highPass, 1.0f, 0.056234132f },    // q = 1
        { FilterFX::notch, 0.23076923f, 1.0f },        // q = 0.5
        { FilterFX::powerLowPass, 0.0f, 17.782794f },  // q = resonance
        { FilterFX::powerBandPass, 1.0f, 0.056234132f },
        { FilterFX::powerLowPass, 0.5f, 1.0f },
        { FilterFX::lowPassResample, 0.0f, 1.0f },     // always q = 0.5
        { FilterFX::lowPassResample, 1.0f, 1.0f },
    };
    for (const auto& c : cases)
        EXPECT_NEAR (FilterFX::bandwidthFor (c.type, c.resonance), c.octaves, c.octaves * 1e-5)
            << "type " << c.type << " resonance " << c.resonance;
}

TEST (FilterFXCore, CoefficientsFollowTheCookbookLawForCutoffAndResonance)
{
    struct Case
    {
        int type;
        float cutoff;
        float resonance;
    };
    const Case cases[] = {
        { FilterFX::lowPass, 0.5f, 0.0f },
        { FilterFX::highPass, 0.3f, 0.7f },
        { FilterFX::bandPass, 0.6f, 0.9f },
        { FilterFX::notch, 0.2f, 0.5f },
        { FilterFX::allPass, 0.8f, 0.25f },
        { FilterFX::powerLowPass, 0.45f, 0.6f },
        { FilterFX::powerBandPass, 0.55f, 0.3f },
        { FilterFX::lowPassResample, 0.7f, 0.8f },
    };
    const float sr = 44100.0f;
    for (const auto& c : cases)
    {
        const float bw = FilterFX::bandwidthFor (c.type, c.resonance);
        const auto got = FilterFX::coreCoefficients (c.type, c.cutoff, bw, sr);

        // The law, written out: f = 2^(9.28 u + 5); w, sin, cos and alpha in float.
        const auto f = (float) std::pow (2.0, (double) (float) ((double) c.cutoff * 9.28 + 5.0));
        const auto w = (float) (2.0 * M_PI * f / sr);
        const auto s = (float) std::sin (w);
        const auto k = (float) std::cos (w);
        const float alpha = (float) std::sinh ((float) (bw * 0.34657359027997264 * w / s)) * s;
        const float a0 = 1.0f + alpha;
        float b0, b1, b2;
        switch (c.type)
        {
            case FilterFX::highPass: b0 = (1 + k) / 2 / a0; b1 = -(1 + k) / a0; b2 = b0; break;
            case FilterFX::bandPass:
            case FilterFX::powerBandPass: b0 = (s / 2) / a0; b1 = 0; b2 = -(s / 2) / a0; break;
            case FilterFX::notch: b0 = 1 / a0; b1 = -2 * k / a0; b2 = 1 / a0; break;
            case FilterFX::allPass: b0 = (1 - alpha) / a0; b1 = -2 * k / a0; b2 = 1; break;
            default: b0 = (1 - k) / 2 / a0; b1 = (1 - k) / a0; b2 = b0; break;
        }
        SCOPED_TRACE (c.type);
        EXPECT_FLOAT_EQ (got.b0, b0);
        EXPECT_FLOAT_EQ (got.b1, b1);
        EXPECT_FLOAT_EQ (got.b2, b2);
        EXPECT_FLOAT_EQ (got.a1, -2 * k / a0);
        EXPECT_FLOAT_EQ (got.a2, (1 - alpha) / a0);
    }
}

TEST (FilterFXCore, CutoffIsHeldBetweenTwentyHertzAndPointNineFive)
{
    const float sr = 44100.0f;
    const float bw = 1.0f;
    const auto top = FilterFX::coreCoefficients (FilterFX::lowPass, 0.95f, bw, sr);
    const auto above = FilterFX::coreCoefficients (FilterFX::lowPass, 3.0f, bw, sr);
    EXPECT_EQ (above.b0, top.b0);
    EXPECT_EQ (above.a1, top.a1);
    EXPECT_NEAR (cutoffToHz (0.95f), 14400.0f, 100.0f);

    const auto bottom = BiquadCoefficients::design (BiquadCoefficients::Shape::lowPass, 32.0f, bw, sr);
    const auto below = FilterFX::coreCoefficients (FilterFX::lowPass, -2.0f, bw, sr);
    EXPECT_EQ (below.b0, bottom.b0);
    EXPECT_EQ (below.a2, bottom.a2);
}

struct ShapeCase
{
    int type;
    double frequencyHz;
    double minDb, maxDb;
};

class FilterFXShape : public ::testing::TestWithParam<ShapeCase>
{
};

TEST_P (FilterFXShape, MagnitudeAtChosenFrequencies)
{
    const auto c = GetParam();
    Unit unit (c.type);
    const double g = unit.gainAt (c.frequencyHz, cutoffFor (kCornerHz), 0.0f);
    EXPECT_GE (g, c.minDb) << c.frequencyHz << " Hz";
    EXPECT_LE (g, c.maxDb) << c.frequencyHz << " Hz";
}

// Corner at 1 kHz, resonance 0 (2.37 octaves wide: no resonant peak).
INSTANTIATE_TEST_SUITE_P (Responses, FilterFXShape,
                          ::testing::Values (ShapeCase { FilterFX::lowPass, 100.0, -0.5, 0.5 },
                                             ShapeCase { FilterFX::lowPass, 10000.0, -60.0, -35.0 },
                                             ShapeCase { FilterFX::highPass, 10000.0, -0.5, 0.5 },
                                             ShapeCase { FilterFX::highPass, 100.0, -60.0, -35.0 },
                                             ShapeCase { FilterFX::bandPass, 1000.0, -7.0, -3.0 },
                                             ShapeCase { FilterFX::bandPass, 50.0, -40.0, -20.0 },
                                             ShapeCase { FilterFX::bandPass, 16000.0, -40.0, -20.0 },
                                             ShapeCase { FilterFX::notch, 1000.0, -200.0, -40.0 },
                                             ShapeCase { FilterFX::notch, 60.0, -0.5, 0.1 },
                                             ShapeCase { FilterFX::notch, 15000.0, -0.5, 0.1 },
                                             ShapeCase { FilterFX::allPass, 300.0, -0.05, 0.05 },
                                             ShapeCase { FilterFX::allPass, 1000.0, -0.05, 0.05 },
                                             ShapeCase { FilterFX::allPass, 5000.0, -0.05, 0.05 }));

TEST (FilterFXCore, TwentyFourDbDoublesTheSlope)
{
    struct Case
    {
        int type;
        double stopHz;
    };
    const Case cases[] = {
        { FilterFX::lowPass, 8000.0 }, { FilterFX::highPass, 125.0 }, { FilterFX::bandPass, 8000.0 },
        { FilterFX::notch, 1100.0 },   { FilterFX::allPass, 8000.0 },
    };
    for (const auto& c : cases)
    {
        Unit single (c.type, 0), twice (c.type, 1);
        const double g12 = single.gainAt (c.stopHz, cutoffFor (kCornerHz), 0.0f);
        const double g24 = twice.gainAt (c.stopHz, cutoffFor (kCornerHz), 0.0f);
        if (c.type != FilterFX::allPass)
        {
            EXPECT_LT (g12, -6.0) << c.type;
        }
        EXPECT_NEAR (g24, 2.0 * g12, 0.5) << c.type;
    }
}

TEST (FilterFXCore, TwentyFourDbSteepensThePowerAndResampleTypes)
{
    // Their drive and resampler are not linear; the second stage still shows
    // as a much steeper fall above the corner.
    for (int type : { FilterFX::powerLowPass, FilterFX::powerBandPass, FilterFX::lowPassResample })
    {
        Unit single (type, 0), twice (type, 1);
        const float resonance = type == FilterFX::lowPassResample ? 1.0f : 0.5f; // resampling off at rate 1
        const double g12 = single.gainAt (8000.0, cutoffFor (kCornerHz), resonance);
        const double g24 = twice.gainAt (8000.0, cutoffFor (kCornerHz), resonance);
        EXPECT_LT (g24, 1.6 * g12) << type;
    }
}

TEST (FilterFXCore, TwentyFourDbLeavesOtherTypesAlone)
{
    for (int type : { 5, 6, 10, 11, 12, 14, 15, 16 })
    {
        Unit single (type, 0), twice (type, 1);
        auto a = sine (cycles (440.0), 2048, 0.5);
        auto b = a;
        single.setCutoff (0.5f);
        twice.setCutoff (0.5f);
        single.filter.process (a.data(), single.cutoff.data(), 2048, 0.4f);
        twice.filter.process (b.data(), twice.cutoff.data(), 2048, 0.4f);
        EXPECT_EQ (a, b) << "type " << type;
    }
}

TEST (FilterFXCore, CoefficientsFollowTheCutoffOnlyAtChunkStarts)
{
    constexpr int n = 128;
    Unit unit (FilterFX::lowPass);
    std::vector<float> cutoff ((size_t) n);
    for (int i = 0; i < n; ++i)
        cutoff[(size_t) i] = 0.2f + 0.005f * (float) i;
    std::vector<float> x ((size_t) n, 0.0f);
    x[0] = 1.0f;
    x[40] = -0.5f;
    auto y = x;
    unit.filter.process (y.data(), cutoff.data(), n, 0.6f);

    BiquadSection reference;
    const float bw = FilterFX::bandwidthFor (FilterFX::lowPass, 0.6f);
    for (int pos = 0; pos < n; pos += 32)
        reference.process (x.data() + pos, 32, FilterFX::coreCoefficients (FilterFX::lowPass, cutoff[(size_t) pos], bw, 44100.0f));
    for (int i = 0; i < n; ++i)
        EXPECT_EQ (y[(size_t) i], x[(size_t) i]) << i;
}

TEST (FilterFXCore, TypeChangeAndNoteStartClearTheHistory)
{
    Unit used (FilterFX::lowPass), fresh (FilterFX::lowPass);
    used.setCutoff (0.4f);
    fresh.setCutoff (0.4f);
    auto noise = sine (cycles (300.0), 512, 0.8);
    used.filter.process (noise.data(), used.cutoff.data(), 512, 0.9f);

    // Switching away and back resets the core path.
    used.filter.setType (FilterFX::highPass);
    auto scratch = sine (cycles (300.0), 64);
    used.filter.process (scratch.data(), used.cutoff.data(), 64, 0.9f);
    used.filter.setType (FilterFX::lowPass);
    auto a = sine (cycles (1000.0), 256);
    auto b = a;
    used.filter.process (a.data(), used.cutoff.data(), 256, 0.9f);
    fresh.filter.process (b.data(), fresh.cutoff.data(), 256, 0.9f);
    EXPECT_EQ (a, b);

    // A note start does the same without a type change.
    auto c = sine (cycles (1000.0), 256);
    auto d = c;
    used.filter.markTypeChanged();
    used.filter.process (c.data(), used.cutoff.data(), 256, 0.9f);
    Unit again (FilterFX::lowPass);
    again.setCutoff (0.4f);
    again.filter.process (d.data(), again.cutoff.data(), 256, 0.9f);
    EXPECT_EQ (c, d);
}

TEST (FilterFXCore, PowerTypesLimitTheInputBeforeFiltering)
{
    // The drive turns any tone into a +-1 square: loud and quiet inputs come
    // out at the same level.
    auto level = [] (double amplitude) {
        Unit unit (FilterFX::powerLowPass);
        unit.setCutoff (cutoffFor (5000.0));
        auto x = sine (cycles (100.0), 8192, amplitude);
        for (int pos = 0; pos < 8192; pos += 512)
            unit.filter.process (x.data() + pos, unit.cutoff.data(), 512, 0.5f);
        return amplitudeAt (x.data() + 4096, 4096, cycles (100.0));
    };
    EXPECT_NEAR (level (20.0), 4.0 / M_PI, 0.05); // a square's fundamental
    EXPECT_NEAR (level (0.5), level (20.0), 0.01);

    DSPContext context;
    DistFilter drive (context);
    std::vector<float> x = { -50.0f, -1.0f, -0.001f, 0.0f, 0.0001f, 3.0f };
    const auto in = x;
    drive.process (x.data(), (int) x.size(), 1.0f);
    for (size_t i = 0; i < x.size(); ++i)
        EXPECT_FLOAT_EQ (x[i], in[i] / (std::fabs (in[i]) + 0.1f * 0.1f * 0.1f * 0.1f));
}

TEST (FilterFXCore, BypassLeavesTheSignalUntouched)
{
    Unit unit (FilterFX::bypass);
    auto x = sine (cycles (440.0), 512);
    const auto original = x;
    unit.setCutoff (0.3f);
    unit.filter.process (x.data(), unit.cutoff.data(), 512, 0.7f);
    EXPECT_EQ (x, original);
}

TEST (FilterFXCore, TwoUnitsSideBySideFilterExactlyAsEachAlone)
{
    // (type, 24 dB) of the two units; a pair that is not of plain biquad types
    // takes each unit's own path.
    const std::pair<int, int> cases[][2] = {
        { { FilterFX::lowPass, 1 }, { FilterFX::lowPass, 0 } },
        { { FilterFX::highPass, 0 }, { FilterFX::bandPass, 1 } },
        { { FilterFX::notch, 1 }, { FilterFX::allPass, 1 } },
        { { FilterFX::lowPass, 0 }, { FilterFX::combType, 0 } },
    };
    for (const auto& c : cases)
    {
        FilterRig aloneA (c[0].first, c[0].second), aloneB (c[1].first, c[1].second);
        FilterRig pairA (c[0].first, c[0].second), pairB (c[1].first, c[1].second);
        std::vector<float> xA (4096), xB (4096);
        for (size_t i = 0; i < xA.size(); ++i)
        {
            xA[i] = std::sin (0.05f * (float) i) + 0.3f * std::sin (0.9f * (float) i);
            xB[i] = (i % 97 < 48) ? 0.5f : -0.5f;
            aloneA.cutoff[i] = pairA.cutoff[i] = 0.3f + 0.4f * (float) i / 4096.0f; // a sweep
            aloneB.cutoff[i] = pairB.cutoff[i] = 0.7f - 0.5f * (float) i / 4096.0f;
        }
        auto yA = xA, yB = xB;
        for (int pos = 0; pos < 4096; pos += 256)
        {
            aloneA.filter.process (xA.data() + pos, aloneA.cutoff.data() + pos, 256, 0.6f);
            aloneB.filter.process (xB.data() + pos, aloneB.cutoff.data() + pos, 256, 0.2f);
            FilterFX::processPair (pairA.filter, yA.data() + pos, pairA.cutoff.data() + pos, 0.6f, pairB.filter,
                                   yB.data() + pos, pairB.cutoff.data() + pos, 0.2f, 256);
        }
        EXPECT_EQ (xA, yA) << c[0].first << "/" << c[1].first;
        EXPECT_EQ (xB, yB) << c[0].first << "/" << c[1].first;
    }
}
