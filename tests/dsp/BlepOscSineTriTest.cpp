#include "OscTestRig.h"

#include "dsp/OscTables.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace dsptest;

namespace
{
constexpr int kSkip = 2048;
constexpr int kWindow = 16384;

/** Renders oscillator 2's FM/PM sine with a modulator tone. */
std::vector<float> renderModulated (bool phaseModulation, float depth, double carrierHz, double modulatorHz)
{
    OscRig rig;
    rig.osc.setFmInput (true);
    rig.osc.setSync (phaseModulation);
    std::fill (rig.freq.begin(), rig.freq.end(), (float) cycles (carrierHz));
    std::vector<float> out;
    std::vector<float> modulator (512);
    for (int block = 0; block < (kSkip + kWindow) / 512; ++block)
    {
        for (int i = 0; i < 512; ++i)
            modulator[(size_t) i] = (float) std::sin (2 * M_PI * cycles (modulatorHz) * (block * 512 + i));
        rig.osc.setParams (OscMode::SineTri, 0.0f, depth);
        rig.osc.setInputs (rig.freq.data(), nullptr, modulator.data());
        const float* y = rig.osc.render (512);
        out.insert (out.end(), y, y + 512);
    }
    return out;
}
} // namespace

TEST (BlepOsc, SineTriAtWidthZeroIsAPureSine)
{
    OscRig rig;
    const auto x = rig.render (OscMode::SineTri, 1000.0, kSkip + kWindow, 0.0f, 0.0f);
    const double fundamental = amplitudeAt (x.data() + kSkip, kWindow, cycles (1000.0));
    EXPECT_NEAR (fundamental, 1.0, 0.01);
    for (int h = 2; h <= 5; ++h)
        EXPECT_LT (dB (amplitudeAt (x.data() + kSkip, kWindow, cycles (1000.0 * h)) / fundamental), -80.0) << h;
}

TEST (BlepOsc, SineTriAtWidthOneIsTheTriangle)
{
    OscRig rig;
    const auto x = rig.render (OscMode::SineTri, 500.0, kSkip + kWindow, 0.0f, 1.0f);
    const double fundamental = amplitudeAt (x.data() + kSkip, kWindow, cycles (500.0));
    const double third = amplitudeAt (x.data() + kSkip, kWindow, cycles (1500.0));
    const double second = amplitudeAt (x.data() + kSkip, kWindow, cycles (1000.0));
    EXPECT_NEAR (dB (third / fundamental), dB (1.0 / 9.0), 1.5); // a triangle's odd harmonics fall by 1/k^2
    EXPECT_LT (dB (second / fundamental), -60.0);
}

TEST (BlepOsc, SineTriOctaveBlendAddsTheOctaveBelow)
{
    OscRig rig;
    const auto x = rig.render (OscMode::SineTri, 1000.0, kSkip + kWindow, 1.0f, 0.0f);
    EXPECT_NEAR (hz (peakFrequency (x.data() + kSkip, kWindow)), 500.0, 1.0);
    EXPECT_LT (amplitudeAt (x.data() + kSkip, kWindow, cycles (1000.0)), 0.01);
}

TEST (BlepOsc, OscillatorOneSineTriIgnoresThePwmInput)
{
    OscRig a, b;
    std::fill (a.freq.begin(), a.freq.end(), (float) cycles (700.0));
    std::fill (b.freq.begin(), b.freq.end(), (float) cycles (700.0));
    std::fill (a.pwm.begin(), a.pwm.end(), 0.9f);
    for (int block = 0; block < 4; ++block)
    {
        a.osc.setParams (OscMode::SineTri, 0.0f, 0.2f);
        b.osc.setParams (OscMode::SineTri, 0.0f, 0.2f);
        a.osc.setInputs (a.freq.data(), a.pwm.data(), nullptr);
        b.osc.setInputs (b.freq.data(), nullptr, nullptr);
        const float* x = a.osc.render (512);
        const float* y = b.osc.render (512);
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ (x[i], y[i]);
    }
}

TEST (BlepOsc, FrequencyModulationSidebandsFollowTheBesselLaw)
{
    // inc = f (1 + m d): a deviation of f d, index 5 d for a 1 kHz carrier and
    // a 200 Hz modulator (the 0.25 one-pole smoothing passes it at 0.995).
    const double carrier = 1000.0, modulator = 200.0;
    for (float depth : { 0.0f, 0.05f, 0.15f })
    {
        const auto x = renderModulated (false, depth, carrier, modulator);
        const double index = 5.0 * depth * 0.995;
        EXPECT_NEAR (amplitudeAt (x.data() + kSkip, kWindow, cycles (carrier + modulator)), std::cyl_bessel_j (1.0, index), 0.01)
            << depth;
        EXPECT_NEAR (amplitudeAt (x.data() + kSkip, kWindow, cycles (carrier)), std::cyl_bessel_j (0.0, index), 0.01) << depth;
    }
}

TEST (BlepOsc, SyncTurnsFrequencyModulationIntoPhaseModulation)
{
    // ph += m d cycles: a phase index of 2 pi d, whatever the carrier.
    const float depth = 0.05f;
    const auto fm = renderModulated (false, depth, 1000.0, 200.0);
    const auto pm = renderModulated (true, depth, 1000.0, 200.0);
    EXPECT_NE (fm, pm);
    const double index = 2.0 * M_PI * depth * 0.995;
    EXPECT_NEAR (amplitudeAt (pm.data() + kSkip, kWindow, cycles (1200.0)), std::cyl_bessel_j (1.0, index), 0.01);
    EXPECT_NEAR (hz (peakFrequency (pm.data() + kSkip, kWindow)), 1000.0, 1.0);
}

TEST (BlepOsc, ModulatorInputIsNotChangedByTheOscillator)
{
    OscRig rig;
    rig.osc.setFmInput (true);
    std::fill (rig.freq.begin(), rig.freq.end(), (float) cycles (500.0));
    auto modulator = sine (cycles (150.0), 512);
    const auto original = modulator;
    rig.osc.setParams (OscMode::SineTri, 0.0f, 0.7f);
    rig.osc.setInputs (rig.freq.data(), nullptr, modulator.data());
    rig.osc.render (512);
    EXPECT_EQ (modulator, original);
}
