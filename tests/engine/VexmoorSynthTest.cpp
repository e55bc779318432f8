#include "RealtimeMonitor.h"
#include "EngineFixture.h"
#include "SignalAnalysis.h"
#include "engine/VexmoorPlayer.h"

#include <cmath>

using namespace ParamIndex;
using SignalAnalysis::frequency;
using SignalAnalysis::rms;

namespace
{
class VexmoorSynthTest : public EngineFixture
{
};

double midiHz (int engineNote)
{
    static const double base[12] = { 130.82, 138.59, 146.83, 155.56, 164.81, 174.61,
                                     185.0,  196.0,  207.65, 220.0,  233.08, 246.94 };
    return base[engineNote % 12] * std::pow (2.0, engineNote / 12 - 3);
}
} // namespace

TEST_F (VexmoorSynthTest, SeventeenHeldKeysReleaseTheFirstStartedVoice)
{
    for (int k = 0; k < 17; ++k)
        noteOn (40 + k);
    render (32);
    const auto& voices = engine.getActiveVoices();
    ASSERT_EQ (voices.size(), 17u);
    EXPECT_EQ (voices.front()->note, 40 - 12);
    EXPECT_TRUE (voices.front()->isReleased());
    for (size_t i = 1; i < voices.size(); ++i)
        EXPECT_FALSE (voices[i]->isReleased()) << i;

    // The fast release ends within 0.05 s * 1.5.
    render (4096);
    EXPECT_EQ (engine.getActiveVoices().size(), 16u);
}

TEST_F (VexmoorSynthTest, HoldKeepsReleasedKeysSoundingUntilThePedalLifts)
{
    useSine();
    controller (64, 127);
    noteOn (60);
    render (2048);
    noteOff (60);
    const auto held = render (8192);
    EXPECT_GT (rms (held, 4096, 8192), 0.05);

    controller (64, 0);
    const auto released = render (8192);
    EXPECT_LT (rms (released, 4096, 8192), 1e-4);
    EXPECT_FALSE (engine.isHold());
}

TEST_F (VexmoorSynthTest, PedalUpReleasesKeysStillDown)
{
    useSine();
    controller (64, 127);
    noteOn (60);
    render (1024);
    controller (64, 0);
    const auto out = render (8192);
    EXPECT_LT (rms (out, 4096, 8192), 1e-4);
}

TEST_F (VexmoorSynthTest, SoloGlidesUpOverFourTimesTheGlideTimeAndBackOverOnce)
{
    useSine();
    choose (playbackMode, 1);
    param (glideSpeed).setFromEngine (0.25f); // 1 s up, 0.25 s back
    const double f60 = midiHz (48), f64 = midiHz (52);

    noteOn (60);
    const auto before = render (8192);
    EXPECT_NEAR (frequency (before, 2048, 8192, kRate), f60, 0.5);

    noteOn (64);
    const auto up = render (2 * kRate - 2 * kRate % 32);
    const double halfway = frequency (up, kRate / 2 - 2048, kRate / 2 + 2048, kRate);
    EXPECT_GT (halfway, f60 + 10.0);
    EXPECT_LT (halfway, f64 - 10.0);
    EXPECT_NEAR (frequency (up, kRate + 4096, 2 * kRate - 4096, kRate), f64, 0.5);
    EXPECT_EQ (engine.getActiveVoices().size(), 1u);

    noteOff (64);
    const auto back = render (kRate - kRate % 32);
    EXPECT_NEAR (frequency (back, kRate / 2, kRate - 4096, kRate), f60, 0.5);

    noteOff (60);
    const auto after = render (16384);
    EXPECT_LT (rms (after, 8192, 16384), 1e-4);
}

TEST_F (VexmoorSynthTest, ChordCaptureReplaysItsIntervalsFromOneKey)
{
    noteOn (64);
    noteOn (60);
    noteOn (67);
    render (64);
    engine.captureChord();
    EXPECT_EQ (engine.getPatch().chordNotes, (std::vector<int> { -4, 3 }));
    EXPECT_TRUE (engine.getPatch().isChord);

    noteOff (64);
    noteOff (60);
    noteOff (67);
    render (8192);
    noteOn (50);
    render (64);
    std::vector<int> sounding;
    for (auto* voice : engine.getActiveVoices())
        if (! voice->isReleased())
            sounding.push_back (voice->note + 12);
    std::sort (sounding.begin(), sounding.end());
    EXPECT_EQ (sounding, (std::vector<int> { 46, 50, 53 }));
}

TEST_F (VexmoorSynthTest, ChordCaptureWithOneKeyAndNoStoredChordStaysOff)
{
    noteOn (60);
    render (64);
    engine.captureChord();
    EXPECT_FALSE (engine.getPatch().isChord);
}

TEST_F (VexmoorSynthTest, PitchTableCoversMidiTwelveToOneHundredAndSeven)
{
    useSine();
    struct Case
    {
        int midiNote;
        double hz; // 0: silent
    };
    const Case cases[] = { { 12, 16.35 }, { 69, 440.0 }, { 107, 3951.04 }, { 108, 0.0 }, { 119, 0.0 },
                           { 120, 1024.0 }, { 127, 1024.0 }, { 5, 0.0 } };
    for (const auto& c : cases)
    {
        engine.panic();
        noteOn (c.midiNote);
        const auto out = render (16384);
        if (c.hz == 0.0)
            EXPECT_LT (rms (out, 0, 16384), 1e-6) << c.midiNote;
        else
            EXPECT_NEAR (frequency (out, 4096, 16384, kRate), c.hz, c.hz * 0.002) << c.midiNote;
    }
}

TEST_F (VexmoorSynthTest, FullPitchBendWithAnOctaveRangeGivesJustUnderTwice)
{
    useSine();
    param (pitchBendRange).setValue (1.0f);
    noteOn (57);
    midi.addEvent (juce::MidiMessage::pitchWheel (1, 16383), 0);
    // The bend settles by 0.7 per sub-block; measure once it has.
    const auto out = render (32768);
    const double expected = midiHz (45) * std::pow (2.0, 16383.0 / 16384.0 * 2.0 - 1.0);
    EXPECT_NEAR (frequency (out, 24576, 32768, kRate), expected, 0.05);
    EXPECT_LT (expected / midiHz (45), 2.0);
}

TEST_F (VexmoorSynthTest, MorphFollowsTheWheelByThreeTenthsPerSubBlock)
{
    param (filter1Cutoff).setValue (0.0f);
    param (filter1Cutoff).setValueB (1.0f);
    render (32);
    engine.postMorphWheel (1.0f);
    for (int k = 1; k <= 6; ++k)
    {
        render (32);
        const double expected = 1.0 - std::pow (0.7, k);
        EXPECT_NEAR (engine.getMorphPosition(), expected, 1e-5) << k;
        EXPECT_NEAR (engine.getPatch().arrayMorphed[filter1Cutoff], expected, 1e-5) << k;
        // A parameter without groups stays at its A value.
        EXPECT_EQ (engine.getPatch().arrayMorphed[amp], engine.getPatch().arrayA[amp]);
    }
    EXPECT_EQ (engine.getPatch().wheelShown.load(), 1.0f);
}

TEST_F (VexmoorSynthTest, RandomizeNeverTurnsTwoWaySwitchesOnNorReachesLastChoices)
{
    for (int round = 0; round < 20; ++round)
    {
        engine.utility (4);
        for (int index : { osc2Sync, osc2Flt2, mixInvert, flt1Is24dB, flt1Track, lfo1Sync, lfo2Sync, multiOsc1,
                           multiOsc2, flt2Track })
            EXPECT_EQ (param (index).getInt(), 0) << index;
        for (int index : { osc2Octave, flt1Type, flt2Type, lfo1Target, lfo2Target, lfo1Wave, lfo2Wave, lfo1Trig,
                           lfo2Trig, osc1Type, osc2Type })
            EXPECT_LT (param (index).getInt(), param (index).getNumSteps() - 1) << index;
        for (int index : { 0, 6, 12, 40, 72 })
            EXPECT_EQ (param (index).getValue(), param (index).getValueB()) << index;
    }
    // Effects, levels and play settings are left alone.
    EXPECT_EQ (param (amp).getValue(), param (amp).getDefaultValue());
    EXPECT_EQ (param (playbackMode).getValue(), param (playbackMode).getDefaultValue());
}

TEST_F (VexmoorSynthTest, SwappingMorphGroupsTwiceRestoresTheSound)
{
    for (int i = 0; i < kNumParams; ++i)
    {
        param (i).setValue (0.1f + 0.008f * (float) i);
        param (i).setValueB (0.9f - 0.007f * (float) i);
    }
    std::vector<std::pair<float, float>> before;
    for (int i = 0; i < kNumParams; ++i)
        before.emplace_back (param (i).getValue(), param (i).getValueB());
    engine.utility (2);
    EXPECT_EQ (param (filter1Cutoff).getValue(), before[filter1Cutoff].second);
    EXPECT_EQ (param (flt1Type).getValue(), before[flt1Type].first); // choices stay
    engine.utility (2);
    for (int i = 0; i < kNumParams; ++i)
    {
        EXPECT_EQ (param (i).getValue(), before[(size_t) i].first) << i;
        EXPECT_EQ (param (i).getValueB(), before[(size_t) i].second) << i;
    }
}

TEST_F (VexmoorSynthTest, SwapFiltersExchangesTypesButNotThe24dBSwitch)
{
    choose (flt1Type, 1);
    choose (flt2Type, 2);
    choose (flt1Is24dB, 1);
    param (filter1Cutoff).setValue (0.2f);
    param (filter2Cutoff).setValue (0.8f);
    engine.utility (3);
    EXPECT_EQ (param (flt1Type).getInt(), 2);
    EXPECT_EQ (param (flt2Type).getInt(), 1);
    EXPECT_EQ (param (flt1Is24dB).getInt(), 1);
    EXPECT_EQ (param (filter1Cutoff).getValue(), 0.8f);
    EXPECT_EQ (param (filter2Cutoff).getValue(), 0.2f);
}

TEST_F (VexmoorSynthTest, InitRestoresDefaultsAndTheWheel)
{
    param (filter1Cutoff).setValue (0.1f);
    param (filter1Cutoff).setValueB (0.3f);
    engine.postMorphWheel (1.0f);
    render (64);
    engine.utility (0);
    render (512 * 40);
    EXPECT_EQ (param (filter1Cutoff).getValue(), 0.5f);
    EXPECT_EQ (param (filter1Cutoff).getValueB(), 0.5f);
    EXPECT_EQ (engine.getPatch().name, "Init");
    EXPECT_NEAR (engine.getMorphPosition(), 0.0f, 1e-5f);
    engine.utility (99); // unknown operations do nothing
}

TEST_F (VexmoorSynthTest, PanicSilencesAtOnce)
{
    useSine();
    param (ampRelease).setValue (1.0f);
    noteOn (60);
    render (2048);
    engine.panic();
    const auto out = render (1024);
    EXPECT_EQ (rms (out, 0, 1024), 0.0);
    EXPECT_EQ (engine.getActiveVoices().size(), 0u);
}

TEST_F (VexmoorSynthTest, BusyPlayingAllocatesNothingOnTheAudioThread)
{
    if (! RealtimeMonitor::isAvailable())
        GTEST_SKIP() << "sanitizer build";
    using namespace ParamIndex;
    param (ampRelease).setValue (0.8f); // long releases keep many voices alive
    choose (osc1Type, 0);
    choose (multiOsc1, 1);
    choose (flt1Type, 1);
    choose (flt2Type, 15);
    choose (fltRouting, 1);
    choose (lfo1Target, 1);
    choose (lfo2Target, 7);
    render (512);
    midi.ensureSize (65536);
    std::vector<float> left (512), right (512);

    RealtimeMonitor::start();
    int step = 0;
    for (int block = 0; block < 10 * kRate / 512; ++block)
    {
        // A chord of eight every quarter second and a fast line in between,
        // with bends, wheel moves and the pedal.
        if (block % 22 == 0)
            for (int k = 0; k < 8; ++k)
                noteOn (48 + 2 * k + (step % 5), 32 * k);
        noteOn (72 + (step * 7) % 12, 256);
        noteOff (72 + ((step + 11) * 7) % 12, 96);
        if (block % 22 == 11)
            for (int k = 0; k < 8; ++k)
                noteOff (48 + 2 * k + (step % 5), 0);
        midi.addEvent (juce::MidiMessage::pitchWheel (1, 8192 + 4000 * ((step % 3) - 1)), 64);
        controller (1, (step * 13) % 128, 128);
        if (block % 40 == 0)
            controller (64, (block / 40) % 2 == 0 ? 127 : 0, 0);
        ++step;
        engine.renderBlock (left.data(), right.data(), 512, midi, kRate);
    }
    const long allocations = RealtimeMonitor::stop().allocations;
    EXPECT_EQ (allocations, 0);
}

TEST_F (VexmoorSynthTest, ASlidingNoteGlidesTheSoundingVoiceEvenInPoly)
{
    useSine();
    param (glideSpeed).setFromEngine (0.25f);
    noteOn (60);
    render (4096);
    engine.postEvent (NoteEvent::noteOn, 52, 1.0f, 0, true); // as the arpeggiator's gliding steps send it
    const auto out = render (2 * kRate - 2 * kRate % 32);
    EXPECT_EQ (engine.getActiveVoices().size(), 1u);
    EXPECT_NEAR (frequency (out, kRate + 4096, 2 * kRate - 4096, kRate), midiHz (52), 0.5);
}
