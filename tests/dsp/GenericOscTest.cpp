#include "DspTestSupport.h"

#include "dsp/BlepOsc.h"
#include "dsp/DSPContext.h"
#include "dsp/GenericOsc.h"
#include "dsp/OscTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace dsptest;

namespace
{
struct Rig
{
    DSPContext context;
    GenericOsc osc { context };
    std::vector<float> freq = std::vector<float> (GenericOsc::kMaxBlock);

    explicit Rig (double frequencyHz) { std::fill (freq.begin(), freq.end(), (float) cycles (frequencyHz)); }

    std::vector<float> render (OscMode mode, int total, int block = 512, float width = 0.5f)
    {
        return renderInBlocks (
            [&] (int n) {
                osc.setParams (mode, 0.0f, width);
                osc.setInputs (freq.data(), nullptr, nullptr);
                return osc.render (n);
            },
            total, block);
    }
};
} // namespace

TEST (GenericOsc, UnisonPartnersAreDetunedByTheRatio)
{
    for (double ratio : { 1.059646309, 1.2, 1.5 })
    {
        Rig rig (1000.0);
        rig.osc.setMulti (true);
        rig.osc.setDetune ((float) ratio);
        rig.osc.setMultiMix (-1.0f); // the partners alone
        rig.osc.reset();
        const auto x = rig.render (OscMode::SineTri, 4096 + 16384, 512, 0.0f);
        const double up = 1000.0 * ratio, down = 1000.0 / (ratio + 0.0001);
        const float* tail = x.data() + 4096;
        EXPECT_NEAR (hz (peakFrequency (tail, 16384, cycles (1000.0 * std::sqrt (ratio)), 0.5)), up, 1.0) << ratio;
        EXPECT_NEAR (hz (peakFrequency (tail, 16384, 0.0, cycles (1000.0 / std::sqrt (ratio)))), down, 1.0) << ratio;
        EXPECT_LT (amplitudeAt (tail, 16384, cycles (1000.0)), 1e-3) << ratio;
        // Two equal partners, each at 1/sqrt 2 of full level.
        EXPECT_NEAR (amplitudeAt (tail, 16384, cycles (up)), std::sqrt (0.5), 0.02);
    }
}

TEST (GenericOsc, PartnerFrequenciesAreAvailableForUnisonSync)
{
    Rig rig (500.0);
    rig.osc.setMulti (true);
    rig.osc.setDetune (1.02f);
    rig.render (OscMode::Saw, 512);
    EXPECT_FLOAT_EQ (rig.osc.getUpFrequency()[100], rig.freq[100] * 1.02f);
    EXPECT_FLOAT_EQ (rig.osc.getDownFrequency()[100], rig.freq[100] * (1.0f / (1.02f + 0.0001f)));
}

TEST (GenericOsc, MultiMixOneIsTheMainOscillatorAlone)
{
    Rig unison (440.0), single (440.0);
    unison.osc.setMulti (true);
    unison.osc.setDetune (1.03f);
    unison.osc.setMultiMix (1.0f);
    single.osc.setMulti (false);
    unison.osc.reset();
    single.osc.reset();
    EXPECT_EQ (unison.render (OscMode::Saw, 2048), single.render (OscMode::Saw, 2048));
}

TEST (GenericOsc, FadesInOverSixteenSamplesAfterReset)
{
    DSPContext context;
    BlepOsc plain (context);
    Rig rig (300.0);
    rig.osc.setMulti (false);
    rig.osc.reset();
    const auto x = rig.render (OscMode::SineTri, 64, 64, 0.0f);
    plain.setParams (OscMode::SineTri, 0.0f, 0.0f);
    plain.setInputs (rig.freq.data(), nullptr, nullptr);
    const float* y = plain.render (64);
    const float* fade = OscTables::fade();
    for (int i = 0; i < 64; ++i)
        EXPECT_FLOAT_EQ (x[(size_t) i], i < 16 ? y[i] * fade[i] : y[i]) << i;
    EXPECT_EQ (fade[0], 0.0f);
}

TEST (GenericOsc, ShortBlockLeavesTheFadeToTheNextLongerBlock)
{
    Rig rig (300.0);
    rig.osc.setMulti (false);
    rig.osc.reset();
    const auto first = rig.render (OscMode::Saw, 16, 16);
    EXPECT_NE (first[0], 0.0f); // not faded
    const auto second = rig.render (OscMode::Saw, 32, 32);
    EXPECT_EQ (second[0], 0.0f); // the fade's first value is 0
    const auto third = rig.render (OscMode::Saw, 32, 32);
    EXPECT_NE (third[0], 0.0f);
}

TEST (GenericOsc, PartnersFollowTheirOwnSyncInputs)
{
    // Each partner of the slave locks to the period of its own master buffer.
    Rig rig (700.0);
    rig.osc.setMulti (true);
    rig.osc.setDetune (1.05f);
    rig.osc.setMultiMix (-1.0f);
    rig.osc.setSync (true);
    std::vector<float> master (512, (float) cycles (441.0));     // 100 samples
    std::vector<float> upMaster (512, (float) cycles (551.25));  // 80 samples
    std::vector<float> downMaster (512, (float) cycles (441.0));
    rig.osc.reset();
    std::vector<float> out;
    for (int block = 0; block < 16; ++block)
    {
        rig.osc.setParams (OscMode::Saw, 0.0f, 0.5f);
        rig.osc.setInputs (rig.freq.data(), nullptr, master.data());
        rig.osc.setPartnerSyncInputs (upMaster.data(), downMaster.data());
        const float* y = rig.osc.render (512);
        out.insert (out.end(), y, y + 512);
    }
    // Periodic with the common period of 80 and 100 samples: 400.
    double worst = 0.0;
    for (int i = 2000; i < 7000; ++i)
        worst = std::max (worst, (double) std::fabs (out[(size_t) i + 400] - out[(size_t) i]));
    EXPECT_LT (worst, 5e-3);
    double other = 0.0;
    for (int i = 2000; i < 7000; ++i)
        other = std::max (other, (double) std::fabs (out[(size_t) i + 100] - out[(size_t) i]));
    EXPECT_GT (other, 0.05);
}

TEST (GenericOsc, FmInputReachesAllThreeOscillators)
{
    Rig rig (500.0);
    rig.osc.setFmInput (true);
    EXPECT_TRUE (rig.osc.getMain().isFmInput());
    EXPECT_TRUE (rig.osc.getUp().isFmInput());
    EXPECT_TRUE (rig.osc.getDown().isFmInput());
}

TEST (GenericOsc, AnyBlockSizeAndBadDetuneStayFinite)
{
    for (float ratio : { 0.0f, -1.0f, 1000.0f })
    {
        Rig rig (2000.0);
        rig.osc.setMulti (true);
        rig.osc.setDetune (ratio);
        rig.osc.setMultiMix (5.0f);
        rig.osc.reset();
        for (int n : { 1, 7, 16, 17, 512, GenericOsc::kMaxBlock, 9999 })
            for (OscMode mode : { OscMode::SuperSaw, OscMode::Saw, OscMode::Pulse, OscMode::SineTri })
            {
                const auto x = rig.render (mode, std::min (n, GenericOsc::kMaxBlock), n);
                ASSERT_TRUE (allFinite (x.data(), (int) x.size())) << ratio << " " << n;
            }
    }
}
