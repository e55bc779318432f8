#include "effects/Rvb.h"

#include "effects/EffectBlock.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace
{
constexpr double kTwoPi = 6.283185307179586;

// Line lengths (samples) and pre-delay taps (frames) at 44100 Hz.
constexpr int kBaseLength[Rvb::kLines] = { 1307, 1427, 1559, 1619, 1783, 1861, 1999, 2039 };
constexpr int kBaseTap[Rvb::kLines] = { 0, 5, 13, 19, 29, 37, 43, 53 };

constexpr int kLineMask = Rvb::kLineSize - 1;
constexpr int kPreMask = Rvb::kPreRingSize - 1;

// The swept line reads up to 32 frames either side of its length; lengths stay
// this far inside the line so that the read never meets the write.
constexpr int kLengthMargin = 64;
// The pre-delay ring holds 32768 frames; no tap reaches further back than this.
constexpr int kLongestTap = 32000;

constexpr int kShortestPreDelay = 107;
constexpr int kLongestPreDelay = 65429;

// The loop's low-frequency blocker: 0.01 * 0.98 + 0.01, in float.
constexpr float kLowBlockCoef = 0.01f * 0.98f + 0.01f;
} // namespace

Rvb::Rvb (DSPContext& ctx) : KWDSPModuleBase (ctx)
{
    reset();
}

void Rvb::sampleRateChanged()
{
    KWDSPModuleBase::sampleRateChanged();
    reset();
}

void Rvb::reset() noexcept
{
    preRing.clear();
    lines.clear();

    // Lengths and taps scale with the rate; the products are taken in float
    // and truncated.
    const float scale = (float) ((double) sampleRate / 44100.0);
    for (int j = 0; j < kLines; ++j)
    {
        lineLength[j] = std::clamp ((int) (scale * (float) kBaseLength[j]), kLengthMargin, kLineSize - kLengthMargin);
        tapOffset[j] = std::clamp ((int) (scale * (float) kBaseTap[j]), 0, kLongestTap);
    }

    prePos = 0;
    lineCount = 0;
    modSine = 16777216; // 2^24
    modCos = 0;
    inHighCutL = inHighCutR = inLowCutL = inLowCutR = 0.0f;
    std::fill (std::begin (damp), std::end (damp), 0.0f);
    std::fill (std::begin (lowBlock), std::end (lowBlock), 0.0f);
}

int Rvb::getPreDelay() const noexcept
{
    // The product is taken in float and truncated. The shortest pre-delay
    // still reaches the latest tap, so that no line ever reads the ring ahead
    // of the input (that would replay input from most of a second ago): at
    // 44100 Hz that is the 107 values below, at higher rates the latest tap.
    const float values = EffectBlock::clampUnit (preDelay) * sampleRate * 2.0f;
    const int shortest = std::max (kShortestPreDelay, 2 * tapOffset[kLines - 1] + 1);
    int d = values >= (float) kLongestPreDelay ? kLongestPreDelay : (int) values;
    if (d <= shortest)
        d = shortest;
    return d & ~1;
}

float Rvb::getFeedbackGain() const noexcept
{
    // size * rate in float, the rest in double, then the cube in float.
    const float h = (float) (1.0 - (double) (EffectBlock::clampUnit (size) * sampleRate) / 44100.0);
    float fb = (1.0f - h * h * h) * 0.351f;
    if (fb < 0.01f)
        fb = 0.1f;
    if (fb > 0.351f)
        fb = 0.351f;
    return fb;
}

float Rvb::coefficientFor (float control) const noexcept
{
    // F = 2^(9 v + 6): the exponent rounded to float, the power in double,
    // stored as float; F times the rate ratio in float.
    const float exponent = 9.0f * EffectBlock::clampUnit (control) + 6.0f;
    const float cutoff = (float) std::pow (2.0, (double) exponent);
    const float ratio = (float) (44100.0 / (double) sampleRate);
    const float scaled = cutoff * ratio;
    return (float) (1.0 - std::exp (-kTwoPi * (double) scaled / (double) sampleRate));
}

void Rvb::process (float* x, int n) noexcept
{
    if (dryWet == 0.0f)
        return;

    const int d = getPreDelay();
    const float hdK = coefficientFor (highDamp);
    const float hcK = coefficientFor (highCut);
    const float lcK = coefficientFor (lowCut);
    const float fb = getFeedbackGain();
    const float wet = dryWet;
    const float dry = 1.0f - dryWet;

    float* ring = preRing.get();
    float* line = lines.get();

    // The memories live in locals for the block: written through the line
    // and ring pointers, which the compiler cannot tell apart from members,
    // they would otherwise go through memory every frame.
    float hcL = inHighCutL, hcR = inHighCutR, lcL = inLowCutL, lcR = inLowCutR;
    float dampNow[kLines], lowNow[kLines];
    int length[kLines], tap[kLines];
    for (int j = 0; j < kLines; ++j)
    {
        dampNow[j] = damp[j];
        lowNow[j] = lowBlock[j];
        length[j] = lineLength[j];
        tap[j] = 2 * tapOffset[j] + (j & 1);
    }
    int sine = modSine, cosine = modCos, count = lineCount, pos = prePos;

    for (int i = 0; i < n; ++i)
    {
        float& xL = x[2 * i];
        float& xR = x[2 * i + 1];

        // Input band limit.
        hcL = EffectBlock::snapToZero (hcL + (xL - hcL) * hcK);
        hcR = EffectBlock::snapToZero (hcR + (xR - hcR) * hcK);
        lcL = EffectBlock::snapToZero (lcL + (hcL - lcL) * lcK);
        lcR = EffectBlock::snapToZero (lcR + (hcR - lcR) * lcK);
        ring[(pos + d) & kPreMask] = hcL - lcL;
        ring[(pos + d + 1) & kPreMask] = hcR - lcR;

        // The sweep of line 5: an integer quadrature oscillator.
        cosine = cosine - (sine >> 22);
        sine = sine + cosine;

        float l[kLines];
        for (int j = 0; j < kLines; ++j)
            l[j] = line[j * kLineSize + ((count - length[j]) & kLineMask)];
        {
            const float* swept = line + 5 * kLineSize;
            const int k = ((sine >> 19) + count - length[5]) & kLineMask;
            const float frac = (float) (sine & 0x7FFFF) * (1.0f / 524288.0f);
            l[5] = swept[k] + (swept[(k + 1) & kLineMask] - swept[k]) * frac;
        }

        // Hadamard mix: three butterfly stages of sum and difference.
        for (int span = 1; span < kLines; span <<= 1)
            for (int j = 0; j < kLines; ++j)
                if ((j & span) == 0)
                {
                    const float a = l[j];
                    const float b = l[j + span];
                    l[j] = a + b;
                    l[j + span] = a - b;
                }

        const int writeIndex = count & kLineMask;
        for (int j = 0; j < kLines; ++j)
        {
            const float y = l[j] * fb;
            dampNow[j] = EffectBlock::snapToZero (dampNow[j] + (y - dampNow[j]) * hdK);
            lowNow[j] = EffectBlock::snapToZero (lowNow[j] + (dampNow[j] - lowNow[j]) * kLowBlockCoef);
        }
        for (int j = 0; j < kLines; ++j)
            line[j * kLineSize + writeIndex] = (dampNow[j] - lowNow[j]) + ring[(pos + tap[j]) & kPreMask];

        xL = dry * xL + wet * dampNow[4];
        xR = dry * xR + wet * dampNow[5];

        // Both positions are only ever used modulo their ring; keeping them
        // inside it lets the reverb run for any length of time.
        count = (count + 1) & kLineMask;
        pos = (pos + 2) & kPreMask;
    }

    inHighCutL = hcL;
    inHighCutR = hcR;
    inLowCutL = lcL;
    inLowCutR = lcR;
    for (int j = 0; j < kLines; ++j)
    {
        damp[j] = dampNow[j];
        lowBlock[j] = lowNow[j];
    }
    modSine = sine;
    modCos = cosine;
    lineCount = count;
    prePos = pos;
}
