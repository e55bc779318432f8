#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/DSPContext.h"
#include "dsp/StereoBiqFilter.h"
#include "effects/B3EQEffect.h"
#include "effects/ChorusEffect.h"
#include "effects/DelayFX.h"
#include "effects/PhaserFx.h"
#include "effects/RotarySpeakersSimulator.h"
#include "effects/Rvb.h"
#include "effects/WaveshaperEffect.h"

/** The master chain the mixed voices pass once per sub-block: the "Fx split"
    band split, the insert effect chosen by "Fx type", the delay, the return of
    the band the split kept out, the equaliser and the reverb. It owns every
    master effect and the split's state, so the order lives in this one place.
    The engine owns one and calls it on the audio thread under its state lock. */
class MasterEffectChain
{
public:
    explicit MasterEffectChain (DSPContext& context);

    /** Runs the whole chain in place on frames interleaved stereo frames
        (frames <= kMaxFrames; longer calls run as several sub-blocks).
        A and B are the engine values of the two morph groups, M their morphed
        blend and I the integer (choice) values, all indexed by parameter
        number (ParamIndex). A block that comes out with any value that is not
        finite clears every effect memory and is output as silence. */
    void process (float* mix, int frames, const float* A, const float* B, const float* M, const int* I) noexcept;

    /** The engine's panic: clears the delay memory, resets chorus, phaser,
        equaliser and reverb and clears the rotary speaker's lines. */
    void panic() noexcept;

    /** The split value the last sub-block used (after the nudge off the centre). */
    float getSplitPrevious() const noexcept { return splitPrevious; }

    static constexpr int kMaxFrames = 512;

private:
    void processSubBlock (float* mix, int frames, const float* A, const float* B, const float* M, const int* I) noexcept;
    /** Splits off the band the effects do not see into the dry buffer;
        returns false when the split is centred and the whole mix goes on. */
    bool splitBands (float* mix, int frames, float split, float groupMean) noexcept;
    void runInsert (float* mix, int frames, int type, float control1, float control2) noexcept;
    void runReverb (float* mix, int frames, const float* A) noexcept;
    /** Clears every memory after a block that was not finite. */
    void recover() noexcept;

    DSPContext& context;
    StereoBiqFilter split;
    DelayFX delay;
    ChorusEffect chorus;
    WaveshaperEffect waveshaper;
    PhaserFx phaser;
    Rvb reverb;
    RotarySpeakersSimulator rotary;
    B3EQEffect equaliser;
    float splitPrevious = 0.5f;
    AlignedBuffer<float> dry { 2 * kMaxFrames };
};
