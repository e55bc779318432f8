#include "effects/MasterEffectChain.h"

#include "dsp/VectorOps.h"
#include "effects/EffectBlock.h"
#include "params/ParamIndex.h"
#include "params/ParameterTable.h"

#include <algorithm>

namespace
{
// "Fx type" choices.
enum InsertType
{
    insertNone = 0,
    insertWaveshaper = 1,
    insertChorus = 2,
    insertPhaser = 3,
    insertRotary = 4
};

constexpr int kOn = 1;
// The delay only runs from this morphed "Delay Mix" on.
constexpr float kDelayThreshold = 0.05f;
// Values beyond this are limited before the effects.
constexpr float kInputLimit = 20.0f;
// The crossover's bandwidth in octaves.
constexpr float kSplitBandwidth = 2.0f;
} // namespace

MasterEffectChain::MasterEffectChain (DSPContext& ctx)
    : context (ctx),
      split (ctx),
      delay (ctx),
      chorus (ctx),
      waveshaper (ctx),
      phaser (ctx),
      reverb (ctx),
      rotary (ctx),
      equaliser (ctx)
{
    reverb.reset();
}

void MasterEffectChain::process (float* mix, int frames, const float* A, const float* B, const float* M, const int* I) noexcept
{
    while (frames > 0)
    {
        const int n = std::min (frames, kMaxFrames);
        processSubBlock (mix, n, A, B, M, I);
        mix += 2 * n;
        frames -= n;
    }
}

void MasterEffectChain::processSubBlock (float* mix, int n, const float* A, const float* B, const float* M, const int* I) noexcept
{
    using namespace ParamIndex;
    const int values = 2 * n;

    vec::clip (mix, mix, -kInputLimit, kInputLimit, values);

    // The effects follow the morph when "FX morph " is on, group A otherwise.
    const float* E = I[fxMorph] == kOn ? M : A;

    const bool splitting = splitBands (mix, n, E[fxSplit], (B[fxSplit] + A[fxSplit]) * 0.5f);

    runInsert (mix, n, I[fxType], E[effectControl1], E[effectControl2]);

    // Whether the delay runs always follows the morph; its taps come from A.
    if (M[delayMix] >= kDelayThreshold)
    {
        delay.feedback = E[delayFeedback];
        delay.mix = E[delayMix];
        delay.tapsLeft = A[fxLeftTaps];
        delay.tapsRight = A[fxRightTaps];
        delay.tempo = context.tempo;
        delay.sync = I[delaySync] == kOn;
        delay.cross = I[delayCross] == kOn;
        delay.process (mix, n);
    }

    if (splitting)
        vec::add (mix, mix, dry.get(), values);

    if (E[eqLow] != 0.5f || E[eqHigh] != 0.5f)
    {
        equaliser.eqLow = E[eqLow];
        equaliser.eqHigh = E[eqHigh];
        equaliser.process (mix, n);
    }

    if (I[reverbOn] == kOn)
        runReverb (mix, n, A);

    // Whatever went wrong inside, the host gets silence, never a value that is
    // not finite, and the next block starts from empty memories.
    if (! vec::allFinite (mix, values))
    {
        recover();
        vec::fill (mix, 0.0f, values);
    }
}

bool MasterEffectChain::splitBands (float* mix, int n, float s, float groupMean) noexcept
{
    // A centred knob while the mean of the two groups lies off the centre is
    // moved 0.001 towards that mean (in double, rounded to float): a high-pass
    // at about 32 Hz or a low-pass at about 19.9 kHz then runs.
    if (s == 0.5f && groupMean != 0.5f)
        s = (float) ((double) s + (groupMean > 0.5f ? 0.001 : -0.001));

    split.setMode (s < 0.5f ? BiqFilter::lowPass : BiqFilter::highPass);

    // Crossing the centre turns a low-pass into a high-pass: start it clean.
    if (s != splitPrevious && ((s > 0.5f && 0.5f >= splitPrevious) || (splitPrevious > 0.5f && 0.5f >= s)))
        split.reset();
    splitPrevious = s;

    if (s == 0.5f)
        return false;

    const int values = 2 * n;
    float* d = dry.get();
    vec::copy (d, mix, values);
    const float position = s < 0.5f ? 2.0f * s : 2.0f * (s - 0.5f);
    split.process (cutoffToHz (position), kSplitBandwidth, mix, n);
    // Once the mix has fallen silent and the split's ringing has decayed below
    // the silence floor, its sections start clean: left alone, their memories
    // would sink into denormal numbers and ring there at great cost.
    if (EffectBlock::isSilent (d, values) && EffectBlock::isSilent (mix, values))
    {
        split.reset();
        vec::fill (mix, 0.0f, values);
    }
    // The dry buffer keeps what the split removed; it bypasses the insert
    // effect and the delay and rejoins before the equaliser.
    vec::subtract (d, d, mix, values);
    return true;
}

void MasterEffectChain::runInsert (float* mix, int n, int type, float control1, float control2) noexcept
{
    switch (type)
    {
        case insertWaveshaper:
            waveshaper.drive = control1;
            waveshaper.mix = control2;
            waveshaper.process (mix, n);
            break;
        case insertChorus:
            chorus.depth = control1;
            chorus.rate = control2;
            chorus.process (mix, n);
            break;
        case insertPhaser:
            phaser.depth = control1;
            phaser.setSweepFromControl (control2);
            phaser.process (mix, n);
            break;
        case insertRotary:
            rotary.rate = control1;
            rotary.depth = control2;
            rotary.process (mix, n);
            break;
        case insertNone:
        default:
            break;
    }
}

void MasterEffectChain::runReverb (float* mix, int n, const float* A) noexcept
{
    using namespace ParamIndex;
    // The reverb never follows the morph.
    reverb.preDelay = A[reverbPre];
    reverb.size = A[reverbSize];
    reverb.lowCut = A[reverbLowCut];
    reverb.highCut = A[reverbHighCut];
    reverb.highDamp = A[reverbHighDamp];
    reverb.dryWet = A[reverbDryWet];

    // Bringing dry/wet up from nothing starts a fresh tail rather than the
    // one frozen when it went to 0.
    if (reverb.prevDryWet == 0.0f && reverb.dryWet > 0.0f)
        reverb.reset();
    reverb.prevDryWet = reverb.dryWet;

    reverb.process (mix, n);
}

void MasterEffectChain::recover() noexcept
{
    // Everything the panic clears, and the split's two sections as well.
    panic();
    split.reset();
}

void MasterEffectChain::panic() noexcept
{
    delay.clear();
    chorus.reset();
    phaser.reset();
    equaliser.reset();
    reverb.reset();
    rotary.clear();
}
