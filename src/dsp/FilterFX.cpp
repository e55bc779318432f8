#include "dsp/FilterFX.h"

#include "dsp/FormantTable.h"
#include "dsp/SafeMath.h"
#include "dsp/VectorOps.h"
#include "dsp/VoiceCutoff.h"
#include "params/ParameterTable.h"

#include <algorithm>
#include <cmath>

FilterFX::FilterFX (DSPContext& ctx)
    : KWDSPModuleBase (ctx),
      comb (ctx),
      band1 (ctx),
      band2 (ctx),
      band3 (ctx),
      drive (ctx),
      resonator (ctx),
      downsampler (ctx),
      shifter (ctx),
      svf (ctx)
{
}

bool FilterFX::usesCorePath (int t) noexcept
{
    switch (t)
    {
        case lowPass:
        case highPass:
        case bandPass:
        case notch:
        case allPass:
        case powerLowPass:
        case powerBandPass:
        case lowPassResample:
            return true;
        default:
            return false;
    }
}

float FilterFX::bandwidthFor (int t, float resonance) noexcept
{
    const float r = clampOrLow (resonance, 0.0f, 1.0f);
    float q;
    if (t == powerLowPass || t == powerBandPass)
        q = r;
    else if (t == lowPassResample)
        q = 0.5f; // its resonance knob sets the resampling rate instead
    else
        q = 0.35f + 0.65f * r;
    return (float) std::pow (10.0, -0.05 * (50.0 * (double) q - 25.0));
}

BiquadCoefficients FilterFX::coreCoefficients (int t, float cutoff, float bw, float sr) noexcept
{
    const float u = clampOrLow (cutoff, 0.0f, kMaxCoreCutoff);
    const float f = std::max (cutoffToHz (u), 20.0f);
    using Shape = BiquadCoefficients::Shape;
    Shape shape = Shape::lowPass;
    switch (t)
    {
        case highPass: shape = Shape::highPass; break;
        case bandPass:
        case powerBandPass: shape = Shape::bandPassPeakQ; break;
        case notch: shape = Shape::notch; break;
        case allPass: shape = Shape::allPass; break;
        default: shape = Shape::lowPass; break;
    }
    return BiquadCoefficients::design (shape, f, bw, sr);
}

bool FilterFX::takeTypeChange() noexcept
{
    const bool changed = typeChanged;
    typeChanged = false;
    return changed;
}

void FilterFX::process (float* buf, const float* cutoff, int n, float resonance) noexcept
{
    if (type <= bypass || type >= typeCount || buf == nullptr || cutoff == nullptr)
        return;
    if (type != lastType)
    {
        typeChanged = true;
        lastType = type;
    }
    const float r = clampOrLow (resonance, 0.0f, 1.0f);
    // Blocks longer than the work buffers run as consecutive slices.
    for (int pos = 0; pos < n; pos += kMaxBlock)
        processBlock (buf + pos, cutoff + pos, std::min (kMaxBlock, n - pos), r);
}

void FilterFX::processBlock (float* buf, const float* cutoff, int n, float r) noexcept
{
    const float c0 = cutoff[0];
    const float c1 = cutoff[n - 1];

    if (usesCorePath (type))
    {
        if (takeTypeChange())
        {
            stage1.reset();
            stage2.reset();
            if (type == lowPassResample)
                downsampler.reset();
        }
        if (type == powerLowPass || type == powerBandPass)
            drive.process (buf, n, 1.0f);
        processCore (buf, cutoff, n, bandwidthFor (type, r));
        // Its resonance knob sets the resampling rate.
        if (type == lowPassResample)
            downsampler.process (r, 0.5f, buf, n);
        return;
    }

    switch (type)
    {
        case combType:
            if (takeTypeChange())
                comb.requestReset();
            processComb (buf, c0, c1, n, r);
            break;

        case formant:
        case formant2:
            if (takeTypeChange())
            {
                band1.reset();
                band2.reset();
                band3.reset();
            }
            if (type == formant)
                processFormant (buf, c0, n, r);
            else
                processFormant2 (buf, c0, n, r);
            break;

        case waveshaper:
            typeChanged = false; // no state to reset
            processWaveshaper (buf, n, r);
            break;

        case resonatorType:
            if (takeTypeChange())
                resonator.reset();
            resonator.process (buf, n, std::min (2.0f * voiceCutoffHz (c0), 21000.0f), r);
            break;

        case resampler:
            if (takeTypeChange())
                downsampler.reset();
            downsampler.process (c0, r, buf, n);
            break;

        case shifterType:
            if (takeTypeChange())
                shifter.reset();
            shifter.setMix (r);
            shifter.setShiftCutoff (c0);
            shifter.process (buf, n);
            break;

        case analogLowPass12:
            if (takeTypeChange())
                svf.reset();
            svf.process (buf, cutoff, n, r);
            break;

        default:
            break;
    }
}

const BiquadCoefficients& FilterFX::coreDesignFor (float cutoffValue) noexcept
{
    // A held cutoff (a sustained envelope, no LFO) keeps its design.
    if (cutoffValue != coreKey.cutoff || bandwidth != coreKey.bandwidth || type != coreKey.type
        || sampleRate != coreKey.rate)
    {
        coreDesign = coreCoefficients (type, cutoffValue, bandwidth, sampleRate);
        coreKey = { cutoffValue, bandwidth, type, sampleRate };
    }
    return coreDesign;
}

bool FilterFX::isPlainCore() const noexcept
{
    switch (type)
    {
        case lowPass:
        case highPass:
        case bandPass:
        case notch:
        case allPass: return true;
        default: return false;
    }
}

void FilterFX::beginPlainCore (float resonance) noexcept
{
    if (type != lastType)
    {
        typeChanged = true;
        lastType = type;
    }
    if (takeTypeChange())
    {
        stage1.reset();
        stage2.reset();
    }
    bandwidth = bandwidthFor (type, clampOrLow (resonance, 0.0f, 1.0f));
}

void FilterFX::processPair (FilterFX& a, float* bufA, const float* cutoffA, float resonanceA, FilterFX& b, float* bufB,
                            const float* cutoffB, float resonanceB, int n) noexcept
{
    if (! a.isPlainCore() || ! b.isPlainCore() || bufA == nullptr || bufB == nullptr || cutoffA == nullptr
        || cutoffB == nullptr || n > kMaxBlock)
    {
        a.process (bufA, cutoffA, n, resonanceA);
        b.process (bufB, cutoffB, n, resonanceB);
        return;
    }
    a.beginPlainCore (resonanceA);
    b.beginPlainCore (resonanceB);
    for (int pos = 0; pos < n; pos += kChunk)
    {
        const int count = std::min (kChunk, n - pos);
        const BiquadCoefficients& ca = a.coreDesignFor (cutoffA[pos]);
        const BiquadCoefficients& cb = b.coreDesignFor (cutoffB[pos]);
        BiquadSection::processPair (bufA + pos, a.stage1, a.is24dB == 1 ? &a.stage2 : nullptr, ca, bufB + pos, b.stage1,
                                    b.is24dB == 1 ? &b.stage2 : nullptr, cb, count);
    }
}

void FilterFX::processCore (float* buf, const float* cutoff, int n, float bw) noexcept
{
    bandwidth = bw;
    const bool twoStages = is24dB == 1;
    for (int pos = 0; pos < n; pos += kChunk)
    {
        const int count = std::min (kChunk, n - pos);
        const auto& c = coreDesignFor (cutoff[pos]);
        if (twoStages)
            BiquadSection::processSeries (stage1, stage2, buf + pos, count, c);
        else
            stage1.process (buf + pos, count, c);
    }
}

void FilterFX::processComb (float* buf, float c0, float c1, int n, float r) noexcept
{
    // Doubled: with negative feedback the lowest peak lies at half the delay
    // frequency, so it lands on the cutoff.
    const float f0 = std::max (35.0f, 2.0f * voiceCutoffHz (c0));
    const float f1 = std::max (35.0f, 2.0f * voiceCutoffHz (c1));
    float* f = combFreq.get();
    vec::ramp (f, f0, (f1 - f0) / (float) n, n);
    comb.setFeedback (-r);
    comb.process (buf, n, f);
}

void FilterFX::processFormant (float* buf, float c0, int n, float r) noexcept
{
    const FormantTable::Formants formants = FormantTable::at (c0);
    const float* p = formants.values;
    const float qr = std::max (1.0f - r, 0.025f);
    float* sum = bandSum.get();
    vec::fill (sum, 0.0f, n);
    band1.processAdd (buf, sum, 1.0f, n, p[0], p[6] * qr / 100.0f);
    band2.processAdd (buf, sum, (float) std::pow (10.0, (double) p[4] / 20.0), n, p[1], p[7] * qr / 100.0f);
    band3.processAdd (buf, sum, (float) std::pow (10.0, (double) p[5] / 20.0), n, p[2], p[8] * qr / 100.0f);
    vec::scale (buf, sum, 2.0f / (qr + 0.1f), n);
}

void FilterFX::processFormant2 (float* buf, float c0, int n, float r) noexcept
{
    constexpr float kTop = 21000.0f;
    const float f = std::clamp (voiceCutoffHz (c0), 20.0f, kTop);
    const float qr = std::max (1.0f - r, 0.025f);
    float* sum = bandSum.get();
    vec::fill (sum, 0.0f, n);
    band1.processAdd (buf, sum, 0.7f, n, f, qr);
    band2.processAdd (buf, sum, 0.7f, n, std::min (2.0f * f, kTop), qr);
    band3.processAdd (buf, sum, 0.7f, n, std::min (3.0f * f, kTop), qr);
    vec::scale (buf, sum, 2.0f / (qr + 0.1f), n);
}

void FilterFX::processWaveshaper (float* buf, int n, float r) noexcept
{
    // Rounded to float: the exponent and the drive.
    const auto g = (float) std::pow (2.0, (double) (float) (r * 8.0f));
    vec::scale (buf, buf, g, n);
    vec::clip (buf, buf, -1.0f, 1.0f, n);
    for (int i = 0; i < n; ++i)
    {
        const float x = buf[i];
        buf[i] = 1.5f * x - 0.5f * x * x * x;
    }
}
