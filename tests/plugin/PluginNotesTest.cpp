// Notes as a host plays them through the built plug-in.

#include "PluginFixture.h"
#include "SignalAnalysis.h"

#include <cmath>

namespace
{
class PluginNotesTest : public PluginFixture
{
protected:
    static constexpr int kRate = 44100;

    /** Renders blocks of blockSize until samples are done; midiAt gives the
        MIDI of each block (by its first sample index). */
    std::vector<float> render (int samples, int blockSize, const std::function<void (int, juce::MidiBuffer&)>& midiAt)
    {
        std::vector<float> out;
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        for (int pos = 0; pos < samples; pos += blockSize)
        {
            midi.clear();
            midiAt (pos, midi);
            buffer.clear();
            plugin->processBlock (buffer, midi);
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + blockSize);
        }
        return out;
    }

    void useSine()
    {
        param (80)->setValueNotifyingHost (1.0f); // "Osc1 type" "Sine-tri"
        param (2)->setValueNotifyingHost (0.0f);  // all sine
        param (4)->setValueNotifyingHost (0.0f);  // oscillator 1 only
    }
};
} // namespace

TEST_P (PluginNotesTest, NoteStartsSixtyFourSamplesAfterTheWaitingOnes)
{
    // The first block of 100 renders 128 and leaves 28 waiting; a note at 70 in
    // the next block is rounded down to 64 and starts after those 28.
    plugin->prepareToPlay (kRate, 100);
    const auto out = render (200, 100, [] (int pos, juce::MidiBuffer& midi) {
        if (pos == 100)
            midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 70);
    });
    const int onset = 100 + 28 + 64;
    for (int i = 0; i < onset; ++i)
        ASSERT_EQ (out[(size_t) i], 0.0f) << i;
    EXPECT_GT (SignalAnalysis::peak (out, onset, 200), 0.0f);
}

TEST_P (PluginNotesTest, TopOfTheKeyboardPlaysTheTablesCeiling)
{
    plugin->prepareToPlay (kRate, 512);
    useSine();
    struct Case
    {
        int note;
        double hz; // 0: silent
    };
    for (const auto& c : { Case { 69, 440.0 }, Case { 108, 0.0 }, Case { 119, 0.0 }, Case { 120, 1024.0 },
                           Case { 127, 1024.0 } })
    {
        const auto out = render (32768, 512, [&] (int pos, juce::MidiBuffer& midi) {
            if (pos == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, c.note, (juce::uint8) 100), 0);
            if (pos == 32768 - 512)
                midi.addEvent (juce::MidiMessage::noteOff (1, c.note), 0);
        });
        if (c.hz == 0.0)
            EXPECT_EQ (SignalAnalysis::peak (out, 0, 32768), 0.0f) << c.note;
        else
            EXPECT_NEAR (SignalAnalysis::frequency (out, 8192, 32000, kRate), c.hz, c.hz * 0.001) << c.note;
        render (8192, 512, [] (int, juce::MidiBuffer&) {}); // let the release end
    }
}

INSTANTIATE_TEST_SUITE_P (Formats, PluginNotesTest,
                          ::testing::Values (PluginLoader::Format::vst2, PluginLoader::Format::vst3,
                                             PluginLoader::Format::lv2),
                          formatTestName);
