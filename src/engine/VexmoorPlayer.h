#pragma once

#include "dsp/ADSREnvelope.h"
#include "dsp/AlignedBuffer.h"
#include "dsp/FilterFX.h"
#include "dsp/GenericOsc.h"
#include "dsp/KWDSPModuleBase.h"
#include "dsp/OscMode.h"
#include "dsp/VexmoorADSR.h"
#include "dsp/VexmoorLinADSR.h"
#include "engine/VexmoorLFO.h"

class VexmoorPatch;

/** One synthesizer voice: two oscillators with ring modulation and noise, two
    filters in series or parallel, a filter envelope, the amplitude envelope and
    two LFOs, panned into the engine's interleaved stereo mix. */
class VexmoorPlayer : public KWDSPModuleBase
{
public:
    explicit VexmoorPlayer (DSPContext& context);

    /** Note start: takes its settings from the patch and gates the envelopes. */
    void start (VexmoorPatch& patch, float morph);
    void noteOff();
    /** Fades to silence within the next rendered sub-block, then ends. */
    void kill() noexcept { killFlag = true; }
    /** The voice limit: a short amplitude release of both envelopes. */
    void releaseFast (float seconds);
    bool isReleased() const;
    bool isAlive() const noexcept { return state == playing; }
    void setGainPan (float gain, float newPan);
    void setFrequency (float f) noexcept;
    /** Glides from the current pitch to f over the given number of samples. */
    void glideTo (float f, int samples) noexcept;
    void markFastRelease() noexcept { fastRelease = true; }
    bool isFastRelease() const noexcept { return fastRelease; }

    /** Adds n frames (n <= kMaxFrames) into the interleaved mix; noise holds the
        engine's shared noise for this sub-block. */
    void render (float* mixBus, int n, const float* noise, float morph);

    static constexpr int kMaxFrames = 512;

    int note = 0;
    float velocity = 0.0f;
    int startDelay = 0;
    double startTime = 0.0;

private:
    enum State { playing = 0, finished = 1, idle = 2 };

    struct Lfos
    {
        const float* out1 = nullptr; // LFO 1's own output, when rendered
        const float* out2 = nullptr;
        int target1 = 0, target2 = 0;
    };

    Lfos renderLfos (int n);
    const float* modBuffer (const Lfos& lfos, int target, bool asFactor, int n);
    void addLfosTargeting (float* dst, const Lfos& lfos, int targetA, int targetB, const float* scale, int n);
    void renderPitch (int n);
    /** Filter which's cutoff for this block into c, its type and slope set;
        false when it is "BYPASS". */
    bool buildCutoff (int which, float* c, const float* fe, const Lfos& lfos, int n);
    void filterStage (int which, float* signal, const float* fe, const Lfos& lfos, int n);
    void filterParallel (float* signal1, float* signal2, const float* fe, const Lfos& lfos, int n);
    /** Adds the voice into the mix: second is filter 2's output in parallel
        routing, null when first carries the whole serial chain. */
    void writeOutput (float* mixBus, const float* first, const float* second, const float* ae, const Lfos& lfos, int n);

    VexmoorPatch* patch = nullptr;
    GenericOsc osc1, osc2;
    VexmoorLFO lfo1, lfo2;
    VexmoorADSR ampEnv;
    VexmoorLinADSR linEnv;
    ADSREnvelope expEnv;
    ADSREnv* filterEnv = &linEnv;
    FilterFX filter1, filter2;

    AlignedBuffer<float> pitchBuf { kMaxFrames }, osc1Freq { kMaxFrames }, syncCopy { kMaxFrames },
        tmpA { kMaxFrames }, tmpB { kMaxFrames }, mixL { kMaxFrames }, cutoff { kMaxFrames }, cutoff2 { kMaxFrames },
        outBuf { 2 * kMaxFrames }, modSum { kMaxFrames }, lfoSum { kMaxFrames }, glide { kMaxFrames };

    float targetPitch = 440.0f, currentPitch = 440.0f, glideStep = 0.0f, voiceBend = 1.0f;
    float voiceGain = 0.7f, pan = 0.0f, panGainL = 0.0f, panGainR = 0.0f;
    float gainPrev = 0.0f, gainNew = 0.0f;
    float cutPrev[2] = { -1.0f, -1.0f }, cutNew[2] = { -1.0f, -1.0f };
    bool firstBlock = true;
    bool killFlag = false;
    bool fastRelease = false;
    int state = idle;
};
