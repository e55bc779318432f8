// Hosts bypass an instrument and take it back: the notes it was playing end
// with their own release, not with a cut, and it plays again afterwards.

#include "PluginFixture.h"

#include <cmath>

namespace
{
class HostBypassTest : public PluginFixture
{
protected:
    static constexpr int kBlock = 256;

    void SetUp() override
    {
        if (format() == PluginLoader::Format::lv2)
            GTEST_SKIP() << "LV2 has no bypass a plug-in takes part in: hosts mute it themselves";
        PluginFixture::SetUp();
        plugin->prepareToPlay (44100.0, kBlock);
    }

    /** Renders blocks, bypassed or not, onto the end of out. */
    void render (std::vector<float>& out, int blocks, bool bypassed, juce::MidiBuffer firstMidi = {})
    {
        juce::AudioBuffer<float> buffer (2, kBlock);
        for (int b = 0; b < blocks; ++b)
        {
            juce::MidiBuffer midi (b == 0 ? firstMidi : juce::MidiBuffer());
            if (bypassed)
                plugin->processBlockBypassed (buffer, midi);
            else
                plugin->processBlock (buffer, midi);
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + kBlock);
        }
    }

    static float largestStep (const std::vector<float>& x, size_t from, size_t to)
    {
        float step = 0.0f;
        for (size_t i = std::max<size_t> (from, 1); i < to; ++i)
            step = std::max (step, std::fabs (x[i] - x[i - 1]));
        return step;
    }

    static float peak (const std::vector<float>& x, size_t from, size_t to)
    {
        float level = 0.0f;
        for (size_t i = from; i < to; ++i)
            level = std::max (level, std::fabs (x[i]));
        return level;
    }
};
} // namespace

TEST_P (HostBypassTest, BypassReleasesTheHeldNotesWithoutAClick)
{
    juce::MidiBuffer chord;
    for (int note : { 48, 55, 64 })
        chord.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 0);
    std::vector<float> out;
    render (out, 60, false, chord);
    const size_t bypassAt = out.size();
    const float steadyStep = largestStep (out, bypassAt / 2, bypassAt);
    const float steadyPeak = peak (out, bypassAt / 2, bypassAt);
    ASSERT_GT (steadyPeak, 0.05f);

    // Keys held on the host's side while bypassed are not played.
    juce::MidiBuffer ignored;
    ignored.addEvent (juce::MidiMessage::noteOn (1, 72, (juce::uint8) 100), 10);
    render (out, 400, true, ignored);
    const size_t backAt = out.size();
    render (out, 40, false);

    EXPECT_LE (largestStep (out, bypassAt - 1, out.size()), 1.5f * steadyStep);
    EXPECT_LT (peak (out, backAt - 40 * kBlock, out.size()), 1.0e-3f) << "the released chord has died away";

    // Playing again after the bypass.
    juce::MidiBuffer again;
    again.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
    render (out, 40, false, again);
    EXPECT_GT (peak (out, backAt + 40 * kBlock, out.size()), 0.05f);
}

INSTANTIATE_TEST_SUITE_P (Formats, HostBypassTest,
                          ::testing::Values (PluginLoader::Format::vst2, PluginLoader::Format::vst3,
                                             PluginLoader::Format::lv2),
                          formatTestName);
