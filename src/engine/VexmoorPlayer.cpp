#include "engine/VexmoorPlayer.h"

#include "dsp/VectorOps.h"
#include "engine/VexmoorPatch.h"
#include "params/ParamIndex.h"

#include <algorithm>
#include <cmath>

namespace
{
using namespace ParamIndex;

// LFO targets ("Lfo1 target" / "Lfo2 target").
enum Target
{
    none = 0,
    filtersFreq = 1,
    filter1Freq = 2,
    filter2Freq = 3,
    filtersEnv = 4,
    filter1Env = 5,
    filter2Env = 6,
    pitch = 7,
    ampTarget = 8,
    oscMixTarget = 9,
    panning = 10,
    osc1Pwm = 11,
    osc2PwmFm = 12,
    osc1Pitch = 13,
    osc2Pitch = 14,
    ringMod = 15,
    oscNoiseTarget = 16,
    lfo2Freq = 17
};

// 1.059646309, not 2^(1/12): the unison spread and the semitone offset of
// oscillator 2 have always used this ratio.
constexpr double kSemitone = 1.059646309;

float semitoneRatio (int semitones)
{
    return semitones != 0 ? (float) std::pow (kSemitone, semitones) : 1.0f;
}

/** The LFO amount law: 0.5 gives 0, the ends give -1 and +1 along a curve. */
float bipolarAmount (float a)
{
    const double p = 2.0 * a - 1.0;
    return p >= 0.0 ? (float) ((std::pow (10.0, p) - 1.0) / 9.0) : (float) (-(std::pow (10.0, -p) - 1.0) / 9.0);
}

/** 0.005 .. 20 Hz; the power is rounded to float first. */
float lfoRate (float knob)
{
    const float p = (float) std::pow (10.0, (double) knob);
    return (float) (((double) p - 1.0) / 9.0 * 19.9950008392334 + 0.004999999888241291);
}

void rampInto (float* dst, float start, float end, int n)
{
    vec::ramp (dst, start, (end - start) / (float) n, n);
}
} // namespace

VexmoorPlayer::VexmoorPlayer (DSPContext& ctx)
    : KWDSPModuleBase (ctx),
      osc1 (ctx),
      osc2 (ctx),
      lfo1 (ctx),
      lfo2 (ctx),
      ampEnv (ctx),
      linEnv (ctx),
      expEnv (ctx),
      filter1 (ctx),
      filter2 (ctx)
{
    osc2.setFmInput (true);
}

void VexmoorPlayer::setGainPan (float gain, float newPan)
{
    voiceGain = gain;
    pan = newPan;
    panGainL = gain * std::sqrt (0.5f - 0.5f * newPan);
    panGainR = gain * std::sqrt (0.5f + 0.5f * newPan);
}

void VexmoorPlayer::setFrequency (float f) noexcept
{
    targetPitch = currentPitch = f;
    glideStep = 0.0f;
}

void VexmoorPlayer::glideTo (float f, int samples) noexcept
{
    targetPitch = f;
    // No glide time means a jump at the next sample.
    glideStep = samples > 0 ? (f - currentPitch) / (float) samples : f - currentPitch;
}

void VexmoorPlayer::start (VexmoorPatch& newPatch, float)
{
    patch = &newPatch;
    const float* M = patch->arrayMorphed.get();
    const int* I = patch->arrayInt.get();

    state = playing;
    killFlag = false;
    fastRelease = false;
    firstBlock = true;
    cutPrev[0] = cutPrev[1] = cutNew[0] = cutNew[1] = -1.0f;
    voiceBend = patch->bendSmoothed;

    ampEnv.setAttack (M[ampAttack]);
    ampEnv.setDecay (M[ampDecay]);
    ampEnv.setSustain (M[ampSustain]);
    ampEnv.setRelease (M[ampRelease]);
    ampEnv.scheduleRelease (-1);

    osc1.reset();
    osc2.reset();
    filter1.markTypeChanged();
    filter2.markTypeChanged();

    lfo1.wave = I[lfo1Wave];
    lfo2.wave = I[lfo2Wave];
    lfo1.trigger = I[lfo1Trig];
    lfo2.trigger = I[lfo2Trig];
    lfo1.phase = M[lfo1Phase];
    lfo2.phase = M[lfo2Phase];
    lfo1.fadeIn = M[lfo1FadeIn];
    lfo2.fadeIn = M[lfo2FadeIn];
    lfo1.expUnipolar = lfo2.expUnipolar = patch->modernLfoWaves;
    lfo1.reset();
    lfo2.reset();

    filterEnv = I[fltEnvSlope] == 1 ? static_cast<ADSREnv*> (&expEnv) : static_cast<ADSREnv*> (&linEnv);
    filterEnv->setParams (M[filterEnvAttack], M[filterEnvDecay], M[filterEnvSustain], M[filterEnvRelease]);
    filterEnv->scheduleRelease (-1);
}

void VexmoorPlayer::noteOff()
{
    ampEnv.release();
    filterEnv->release();
}

void VexmoorPlayer::releaseFast (float seconds)
{
    ampEnv.setRelease (seconds);
    noteOff();
}

bool VexmoorPlayer::isReleased() const
{
    return fastRelease || ampEnv.getStage() > 2;
}

//==============================================================================
VexmoorPlayer::Lfos VexmoorPlayer::renderLfos (int n)
{
    const float* M = patch->arrayMorphed.get();
    const int* I = patch->arrayInt.get();
    Lfos lfos;
    lfos.target1 = I[lfo1Target];
    lfos.target2 = I[lfo2Target];

    auto run = [&] (VexmoorLFO& own, VexmoorLFO* shared, int trig, float freqKnob, float amountKnob, float phaseKnob,
                    int waveIndex, int syncIndex) {
        VexmoorLFO& lfo = (trig == VexmoorLFO::global && shared != nullptr) ? *shared : own;
        lfo.rate = lfoRate (freqKnob);
        lfo.amount = bipolarAmount (amountKnob);
        lfo.phase = phaseKnob;
        lfo.wave = I[waveIndex];
        lfo.sync = I[syncIndex] != 0;
        lfo.trigger = trig;
        lfo.expUnipolar = patch->modernLfoWaves;
        return lfo.render (n);
    };

    if (lfos.target1 != none)
        lfos.out1 = run (lfo1, patch->lfo1.get(), I[lfo1Trig], M[lfo1Frequency], M[lfo1Amount], M[lfo1Phase],
                         lfo1Wave, lfo1Sync);
    if (lfos.target2 != none)
    {
        float freq = M[lfo2Frequency];
        if (lfos.target1 == lfo2Freq && lfos.out1 != nullptr)
            freq += lfos.out1[0];
        lfos.out2 = run (lfo2, patch->lfo2.get(), I[lfo2Trig], freq, M[lfo2Amount], M[lfo2Phase], lfo2Wave, lfo2Sync);
    }
    return lfos;
}

const float* VexmoorPlayer::modBuffer (const Lfos& lfos, int target, bool asFactor, int n)
{
    const float* source = nullptr;
    const bool first = lfos.out1 != nullptr && lfos.target1 == target;
    const bool second = lfos.out2 != nullptr && lfos.target2 == target;
    if (first && second)
    {
        // Both LFOs on one target: their sum, kept in the voice so that a
        // shared global LFO's values stay untouched for the other voices.
        vec::add (lfoSum.get(), lfos.out1, lfos.out2, n);
        source = lfoSum.get();
    }
    else if (first)
        source = lfos.out1;
    else if (second)
        source = lfos.out2;

    if (source == nullptr || ! asFactor)
        return source;
    vec::addScalar (modSum.get(), source, 1.0f, n);
    return modSum.get();
}

void VexmoorPlayer::addLfosTargeting (float* dst, const Lfos& lfos, int targetA, int targetB, const float* scale, int n)
{
    for (const auto& [out, target] : { std::pair<const float*, int> { lfos.out1, lfos.target1 },
                                       std::pair<const float*, int> { lfos.out2, lfos.target2 } })
    {
        if (out == nullptr || (target != targetA && target != targetB))
            continue;
        if (scale != nullptr)
            vec::multiplyAdd (dst, out, scale, dst, n);
        else
            vec::add (dst, dst, out, n);
    }
}

void VexmoorPlayer::renderPitch (int n)
{
    float* p = pitchBuf.get();
    const float perSample = 1.0f / sampleRate;
    if (currentPitch == targetPitch)
        vec::fill (p, currentPitch * perSample, n); // the same product as scaling the filled block
    else
    {
        if (glideStep == 0.0f)
            glideStep = targetPitch - currentPitch;
        const float steps = std::floor ((targetPitch - currentPitch) / glideStep);
        const int k = std::isfinite (steps) ? (int) std::clamp (steps, 0.0f, (float) (n + 1)) : 0;
        if (k > n)
        {
            vec::ramp (p, currentPitch, glideStep, n);
            currentPitch = p[n - 1];
        }
        else
        {
            vec::ramp (p, currentPitch, glideStep, k);
            vec::fill (p + k, targetPitch, n - k);
            currentPitch = targetPitch;
        }
        vec::scale (p, p, perSample, n);
    }

    const float bend = patch->bendSmoothed;
    if (voiceBend != bend)
    {
        rampInto (tmpA.get(), voiceBend, voiceBend + (bend - voiceBend), n);
        vec::multiply (p, p, tmpA.get(), n);
    }
    else if (bend != 1.0f)
        vec::scale (p, p, bend, n);
    voiceBend = bend;
}

bool VexmoorPlayer::buildCutoff (int which, float* c, const float* fe, const Lfos& lfos, int n)
{
    const float* A = patch->arrayA.get();
    const float* M = patch->arrayMorphed.get();
    const int* I = patch->arrayInt.get();
    const bool first = which == 0;

    const int type = I[first ? flt1Type : flt2Type];
    if (type == 0)
        return false; // "BYPASS"

    float u = M[first ? filter1Cutoff : filter2Cutoff];
    if (I[first ? flt1Track : flt2Track] != 0)
        u = (std::log2 (currentPitch * 0.125f) - 5.0f) / 9.28f + 1.3f * u;
    u -= (0.7f - velocity) * A[first ? velToFlt1 : velToFlt2];

    float& prev = cutPrev[which];
    float& next = cutNew[which];
    if (prev == -1.0f)
        prev = next = u;
    next = 0.6f * next + 0.4f * u;

    const float envAmount = 2.0f * M[first ? filter1EnvAmount : filter2EnvAmount] - 1.0f;
    vec::rampPlusScaled (c, prev, (next - prev) / (float) n, envAmount, fe, n);
    prev = next;

    // "FLT 1+2 ENV" moves the envelope amount of both filters, as "FLT 1+2 FREQ"
    // moves both cutoffs.
    addLfosTargeting (c, lfos, filtersEnv, first ? filter1Env : filter2Env, fe, n);
    addLfosTargeting (c, lfos, filtersFreq, first ? filter1Freq : filter2Freq, nullptr, n);

    auto& filter = first ? filter1 : filter2;
    filter.setType (type);
    filter.set24dB (first ? I[flt1Is24dB] : 0);
    return true;
}

void VexmoorPlayer::filterStage (int which, float* signal, const float* fe, const Lfos& lfos, int n)
{
    if (buildCutoff (which, cutoff.get(), fe, lfos, n))
        (which == 0 ? filter1 : filter2)
            .process (signal, cutoff.get(), n, patch->arrayMorphed[which == 0 ? filter1Resonance : filter2Resonance]);
}

void VexmoorPlayer::filterParallel (float* signal1, float* signal2, const float* fe, const Lfos& lfos, int n)
{
    // The two units are independent here, so their biquads can run side by side.
    const bool on1 = buildCutoff (0, cutoff.get(), fe, lfos, n);
    const bool on2 = buildCutoff (1, cutoff2.get(), fe, lfos, n);
    const float r1 = patch->arrayMorphed[filter1Resonance], r2 = patch->arrayMorphed[filter2Resonance];
    if (on1 && on2)
        FilterFX::processPair (filter1, signal1, cutoff.get(), r1, filter2, signal2, cutoff2.get(), r2, n);
    else if (on1)
        filter1.process (signal1, cutoff.get(), n, r1);
    else if (on2)
        filter2.process (signal2, cutoff2.get(), n, r2);
}

void VexmoorPlayer::writeOutput (float* mixBus, const float* first, const float* second, const float* ae,
                                 const Lfos& lfos, int n)
{
    float gL0, gL1, gR0, gR1;
    const float* panMod = modBuffer (lfos, panning, false, n);
    if (panMod != nullptr)
    {
        // Panning by LFO follows the LFO from the first to the last sample of
        // the block.
        const float G = voiceGain * patch->arrayA[amp];
        const float p0 = std::clamp (pan + panMod[0], -1.0f, 1.0f);
        const float p1 = std::clamp (pan + panMod[n - 1], -1.0f, 1.0f);
        gL0 = std::sqrt (0.5f - 0.5f * p0) * G;
        gR0 = std::sqrt (0.5f + 0.5f * p0) * G;
        gL1 = std::sqrt (0.5f - 0.5f * p1) * G;
        gR1 = std::sqrt (0.5f + 0.5f * p1) * G;
    }
    else
    {
        gL0 = panGainL * gainPrev;
        gL1 = panGainL * gainNew;
        gR0 = panGainR * gainPrev;
        gR1 = panGainR * gainNew;
    }
    const float stepL = (gL1 - gL0) / (float) n, stepR = (gR1 - gR0) / (float) n;

    // One pass from the filter outputs to the mix: the stereo image (both
    // channels carry the serial chain; in parallel each filter's share by the
    // spread), the amplitude envelope, the gain and pan ramps, the kill fade.
    float* out = outBuf.get();
    if (second == nullptr)
        for (int i = 0; i < n; ++i)
        {
            const float v = first[i] * ae[i];
            out[2 * i] = v * (gL0 + (float) i * stepL);
            out[2 * i + 1] = v * (gR0 + (float) i * stepR);
        }
    else
    {
        const float s = patch->arrayA[fltStereoSpread] * 0.5f + 0.5f;
        const float k = 1.0f / std::sqrt (0.5f);
        const float ga = std::sqrt (1.0f - s) * k, gb = std::sqrt (s) * k;
        for (int i = 0; i < n; ++i)
        {
            const float f1 = first[i], f2 = second[i];
            out[2 * i] = ((f1 * ga + f2 * gb) * ae[i]) * (gL0 + (float) i * stepL);
            out[2 * i + 1] = ((f1 * gb + f2 * ga) * ae[i]) * (gR0 + (float) i * stepR);
        }
    }
    if (killFlag)
        for (int i = 0; i < n; ++i)
        {
            const float fade = 1.0f - (float) (i + 1) / (float) n;
            out[2 * i] *= fade;
            out[2 * i + 1] *= fade;
        }
    vec::add (mixBus, mixBus, out, 2 * n);
}

//==============================================================================
void VexmoorPlayer::render (float* mixBus, int n, const float* noise, float)
{
    if (state == idle || patch == nullptr)
        return;
    n = std::min (n, kMaxFrames);
    if (startDelay > 0)
    {
        if (startDelay > n)
        {
            startDelay -= n;
            return;
        }
        mixBus += 2 * startDelay;
        n -= startDelay;
        startDelay = 0;
        if (n == 0)
            return;
    }

    const float* A = patch->arrayA.get();
    const float* M = patch->arrayMorphed.get();
    const int* I = patch->arrayInt.get();

    // Unison partners, detuned by the spread in semitones plus the fine detune.
    if (I[multiOsc1] != 0 || I[multiOsc2] != 0)
    {
        const int spread = (int) A[multiSpread];
        const float ratio = A[multiDetune] + semitoneRatio (spread);
        for (auto* osc : { &osc1, &osc2 })
        {
            osc->setDetune (ratio);
            osc->setMultiMix (A[multiMix] * 2.0f - 1.0f);
        }
    }
    osc1.setMulti (I[multiOsc1] != 0);
    osc2.setMulti (I[multiOsc2] != 0);

    const Lfos lfos = renderLfos (n);

    renderPitch (n);
    if (const float* m = modBuffer (lfos, pitch, true, n))
    {
        vec::multiply (pitchBuf.get(), pitchBuf.get(), m, n);
        vec::clip (pitchBuf.get(), pitchBuf.get(), 0.0001f, 0.48f, n);
    }

    const OscMode mode1 = oscModeFromType (I[osc1Type]);
    const OscMode mode2 = oscModeFromType (I[osc2Type]);
    osc1.setParams (mode1, M[osc1Width], M[osc1MixPwm]);
    osc2.setParams (mode2, M[osc2Width], M[osc2MixPwm]);

    // Oscillator 1.
    const bool hardSync = I[osc2Sync] != 0;
    const float* freq1 = pitchBuf.get();
    if (const float* m = modBuffer (lfos, osc1Pitch, true, n))
    {
        vec::multiply (osc1Freq.get(), pitchBuf.get(), m, n);
        freq1 = osc1Freq.get();
    }
    if (hardSync)
        vec::copy (syncCopy.get(), freq1, n);
    const float* pwm1 = nullptr;
    if (const float* m = modBuffer (lfos, osc1Pwm, false, n))
    {
        vec::addScalar (tmpB.get(), m, M[osc1MixPwm], n);
        vec::clip (tmpB.get(), tmpB.get(), 0.0f, 1.0f, n);
        pwm1 = tmpB.get();
    }
    osc1.setInputs (freq1, pwm1, nullptr);
    // Both outputs are worked on in the oscillators' own buffers. Unless
    // oscillator 2 modulates by oscillator 1's output, oscillator 1 finishes
    // after oscillator 2 has rendered, so that their supersaws' high-passes
    // can run side by side.
    float* x1 = nullptr;
    if (! osc1.beginRender (n) || mode2 == OscMode::SineTri)
        x1 = osc1.finishRender (n);

    // Oscillator 2: octave, semitones and cents above oscillator 1.
    {
        const float e = semitoneRatio (I[osc2Semi]);
        const float cents = M[osc2Cents];
        // Rounded to float after the cents term, then the octave.
        float ratio = (float) ((double) (e * cents) * 0.05945651 + (double) e);
        ratio *= (float) (1 << std::clamp (I[osc2Octave], 0, 2));
        vec::scale (pitchBuf.get(), pitchBuf.get(), ratio, n);
    }
    const float* freq2 = pitchBuf.get();
    if (const float* m = modBuffer (lfos, osc2Pitch, true, n))
    {
        vec::multiply (osc1Freq.get(), pitchBuf.get(), m, n);
        freq2 = osc1Freq.get();
    }
    osc2.setSync (hardSync);
    const float* sync2 = hardSync ? syncCopy.get() : nullptr;
    const float* pwm2 = nullptr;
    if (const float* m = modBuffer (lfos, osc2PwmFm, false, n))
    {
        vec::addScalar (tmpB.get(), m, M[osc2MixPwm], n);
        vec::clip (tmpB.get(), tmpB.get(), 0.0f, 1.0f, n);
        pwm2 = tmpB.get();
    }
    if (mode2 == OscMode::SineTri)
        sync2 = x1; // the FM / PM modulator
    osc2.setInputs (freq2, pwm2, sync2);
    if (I[multiOsc1] != 0 && I[multiOsc2] != 0 && hardSync && (mode2 == OscMode::Saw || mode2 == OscMode::Pulse))
        osc2.setPartnerSyncInputs (osc1.getUpFrequency(), osc1.getDownFrequency());
    osc2.beginRender (n);
    if (x1 == nullptr)
    {
        GenericOsc::finishHighPassesTogether (osc1, &osc2, n);
        x1 = osc1.finishRender (n);
    }
    float* x2 = osc2.finishRender (n);

    if (firstBlock)
    {
        gainPrev = gainNew = A[amp];
        firstBlock = false;
    }

    // Ring modulation: at depth 1 oscillator 2 becomes o2 * o1.
    const float rm = M[oscRm];
    if (const float* m = modBuffer (lfos, ringMod, false, n))
    {
        float* depth = tmpA.get();
        vec::addScalar (depth, m, rm, n);
        vec::clip (depth, depth, 0.0f, 1.0f, n);
        for (int i = 0; i < n; ++i)
            x2[i] += (x1[i] - 1.0f) * depth[i] * x2[i];
    }
    else if (rm > 0.05f)
    {
        for (int i = 0; i < n; ++i)
            x2[i] += (x1[i] - 1.0f) * rm * x2[i];
    }

    // Oscillator mix.
    const bool osc2ToFilter2 = I[osc2Flt2] != 0;
    float* mix = mixL.get();
    const float x = M[oscMix];
    if (const float* m = modBuffer (lfos, oscMixTarget, false, n))
    {
        float* w = tmpA.get();
        vec::addScalar (w, m, x, n);
        vec::clip (w, w, 0.0f, 1.0f, n);
        for (int i = 0; i < n; ++i)
            mix[i] = x1[i] * (1.0f - w[i]);
        vec::multiply (x2, x2, w, n);
        if (! osc2ToFilter2)
            vec::add (mix, mix, x2, n);
    }
    else
    {
        const float g1 = std::sqrt (1.0f - x);
        float g2 = std::sqrt (x);
        if (patch->invertOsc)
            g2 = -g2;
        if (osc2ToFilter2)
        {
            vec::scale (mix, x1, g1, n);
            vec::scale (x2, x2, g2, n);
        }
        else
            for (int i = 0; i < n; ++i)
            {
                x2[i] = x2[i] * g2;
                mix[i] = x1[i] * g1 + x2[i];
            }
    }

    // Noise.
    const float y = M[oscNoise];
    if (const float* m = modBuffer (lfos, oscNoiseTarget, false, n))
    {
        float* t = tmpA.get();
        vec::addScalar (t, m, y, n);
        vec::clip (t, t, 0.0f, 1.0f, n);
        for (int i = 0; i < n; ++i)
            mix[i] = mix[i] * (1.0f - t[i]) + noise[i] * t[i];
    }
    else if (y > 0.0f)
    {
        for (int i = 0; i < n; ++i)
            mix[i] = mix[i] * (1.0f - y) + noise[i] * y;
    }

    const float* fe = filterEnv->process (n);

    // Routing: in parallel the second filter gets its own copy of the signal.
    const bool parallel = I[fltRouting] == 1;
    float* second = syncCopy.get();
    if (parallel)
    {
        if (osc2ToFilter2)
            vec::copy (second, x2, n);
        else
            for (int i = 0; i < n; ++i)
            {
                mix[i] = mix[i] * 0.5f;
                second[i] = mix[i];
            }
    }

    if (parallel)
        filterParallel (mix, second, fe, lfos, n);
    else
    {
        filterStage (0, mix, fe, lfos, n);
        if (osc2ToFilter2)
            vec::add (mix, mix, x2, n);
        filterStage (1, mix, fe, lfos, n);
    }

    float* ae = ampEnv.process (n);
    if (ampEnv.getStage() >= 4)
        state = finished;
    if (const float* m = modBuffer (lfos, ampTarget, true, n))
        vec::multiply (ae, ae, m, n);

    gainNew = 0.4f * gainNew + 0.6f * A[amp];
    writeOutput (mixBus, mix, parallel ? second : nullptr, ae, lfos, n);
    if (killFlag)
        state = idle;
    gainPrev = gainNew;
}
