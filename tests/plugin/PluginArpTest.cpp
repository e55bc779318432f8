// The arpeggiator as a host plays it: in time with the host's transport.

#include "PluginFixture.h"
#include "SignalAnalysis.h"
#include "TransportPlayHead.h"

#include <cmath>

namespace
{
class PluginArpTest : public PluginFixture
{
protected:
    static constexpr int kRate = 44100;
    static constexpr int kBlock = 512;
    TransportPlayHead playHead;

    void SetUp() override
    {
        PluginFixture::SetUp();
        plugin->setPlayHead (&playHead);
        plugin->prepareToPlay (kRate, kBlock);
        param (86)->setValueNotifyingHost (1.0f);     // "ARP"
        param (80)->setValueNotifyingHost (1.0f);     // a sine on oscillator 1 alone
        param (2)->setValueNotifyingHost (0.0f);
        param (4)->setValueNotifyingHost (0.0f);
        param (12)->setValueNotifyingHost (0.0374f);  // a 50 ms decay ...
        param (13)->setValueNotifyingHost (0.0f);     // ... to silence: every step is a pluck
    }

    void TearDown() override
    {
        plugin->setPlayHead (nullptr);
        PluginFixture::TearDown();
    }

    std::vector<float> render (int blocks, bool playing, juce::MidiBuffer firstMidi = {})
    {
        std::vector<float> out;
        juce::AudioBuffer<float> buffer (2, kBlock);
        for (int b = 0; b < blocks; ++b)
        {
            playHead.playing = playing;
            juce::MidiBuffer midi (b == 0 ? firstMidi : juce::MidiBuffer());
            buffer.clear();
            plugin->processBlock (buffer, midi);
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + kBlock);
            playHead.advance (kBlock, kRate);
        }
        return out;
    }

    /** Sample indices where sound begins after at least 256 quiet samples. */
    static std::vector<int> onsets (const std::vector<float>& x)
    {
        std::vector<int> found;
        int quiet = 1000;
        for (int i = 0; i < (int) x.size(); ++i)
        {
            if (std::fabs (x[(size_t) i]) > 2.0e-3f)
            {
                if (quiet >= 256)
                    found.push_back (i);
                quiet = 0;
            }
            else
                ++quiet;
        }
        return found;
    }
};
} // namespace

TEST_P (PluginArpTest, StepsFollowTheHostsSixteenthsAndRestartWhenTheTransportStarts)
{
    juce::MidiBuffer keys;
    keys.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
    keys.addEvent (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 100), 1);
    // Free-running, three steps play (the last one dies away before the
    // transport starts): the pattern has moved on to its fourth step.
    render (30, false, keys);

    playHead.ppqPosition = 0.0;
    const auto out = render (100, true);
    const auto starts = onsets (out);
    ASSERT_GE (starts.size(), 6u);
    const double sixteenth = kRate * 60.0 / 120.0 / 4.0;
    for (size_t k = 0; k < starts.size(); ++k)
        EXPECT_NEAR (starts[k], std::round (starts[k] / sixteenth) * sixteenth, 96.0) << k;
    EXPECT_LT (starts[0], 96);
    EXPECT_LT (SignalAnalysis::peak (out, 0, starts[0]), 1.0e-3f);

    // The first step again: the first held key (60), then the next one up (64).
    EXPECT_NEAR (SignalAnalysis::frequency (out, starts[0] + 64, starts[0] + 1500, kRate), 261.64, 2.0);
    EXPECT_NEAR (SignalAnalysis::frequency (out, starts[1] + 64, starts[1] + 1500, kRate), 329.62, 2.0);
}

INSTANTIATE_TEST_SUITE_P (Formats, PluginArpTest,
                          ::testing::Values (PluginLoader::Format::vst2, PluginLoader::Format::vst3,
                                             PluginLoader::Format::lv2),
                          formatTestName);
