#pragma once

#include "dsp/AlignedBuffer.h"
#include "dsp/KWDSPModuleBase.h"

/** Insert effect "Type2": a saturating curve u / (|u| + b^4) whose knee the
    drive sharpens, crossfaded with the dry signal by the square of the mix. */
class WaveshaperEffect : public KWDSPModuleBase
{
public:
    explicit WaveshaperEffect (DSPContext& context);

    /** Shapes n interleaved stereo frames in place. */
    void process (float* buffer, int n) noexcept;

    float drive = 0.5f; // "Effect control 1", 0..1
    float mix = 0.7f;   // "Effect control 2", 0..1

private:
    void processPass (float* buffer, int frames) noexcept;

    AlignedBuffer<float> scaled { 4096 }, shaped { 4096 };
};
