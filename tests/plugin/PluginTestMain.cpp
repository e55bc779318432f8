// Test main for the tests that load the built plug-in binaries: JUCE's message
// thread is this thread, and the plug-ins see a private home folder whose
// Quorvane folder already exists without banks: no factory content installed on
// this machine is unpacked into it, so every instance starts on the Init sound.

#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

#include <cstdlib>

int main (int argc, char** argv)
{
    const auto home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("quorvane-test-home-" + juce::String (juce::Time::currentTimeMillis()) + "-"
                                         + juce::String (juce::Random::getSystemRandom().nextInt()));
    home.getChildFile (".Kestrelway/Quorvane/Banks").createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        ::testing::InitGoogleTest (&argc, argv);
        result = RUN_ALL_TESTS();
    }
    home.deleteRecursively();
    return result;
}
