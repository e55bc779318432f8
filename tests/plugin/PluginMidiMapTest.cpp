// MIDI-learn bindings are shared by every instance of the plug-in in a host
// process. This suite runs in an executable of its own, so that the map file is
// in place before the process's first instance creates the mapper.

#include "PluginFixture.h"
#include "Vst2Effect.h"

namespace
{
class PluginMidiMapTest : public PluginFixture
{
protected:
    static void SetUpTestSuite()
    {
        const auto folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".Kestrelway/Quorvane");
        folder.createDirectory();
        // "Filter 1 cutoff" (6) on controller 74.
        folder.getChildFile ("midimapper.mrb")
            .replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist><dict><key>6</key><string>74</string></dict></plist>\n");
    }

    void sendController (juce::AudioPluginInstance& instance, int number, int value)
    {
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::controllerEvent (1, number, value), 0);
        instance.processBlock (buffer, midi);
    }
};
} // namespace

TEST_P (PluginMidiMapTest, TwoInstancesFollowTheSameBinding)
{
    auto second = loadInstance();
    ASSERT_NE (second, nullptr);
    plugin->prepareToPlay (44100.0, 512);
    second->prepareToPlay (44100.0, 512);

    sendController (*plugin, 74, 127);
    sendController (*second, 74, 32);
    // The controller writes the sound without telling the host, so read the
    // plug-ins' own values through the raw VST2 call.
    EXPECT_EQ (Vst2Effect (*plugin).getParameter (6), 0.9921875f);
    EXPECT_EQ (Vst2Effect (*second).getParameter (6), 0.25f);
    sendController (*plugin, 75, 127); // unbound
    EXPECT_EQ (Vst2Effect (*plugin).getParameter (6), 0.9921875f);
}

INSTANTIATE_TEST_SUITE_P (Formats, PluginMidiMapTest, ::testing::Values (PluginLoader::Format::vst2), formatTestName);
