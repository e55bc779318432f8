// Test main for the engine-library tests: the code under test sees a private,
// empty home folder (its log, banks and MIDI map go there), removed afterwards.

#include <juce_core/juce_core.h>

#include <gtest/gtest.h>

#include <cstdlib>

int main (int argc, char** argv)
{
    const auto home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("quorvane-unit-home-" + juce::String (juce::Time::currentTimeMillis())
                                         + "-" + juce::String (juce::Random::getSystemRandom().nextInt()));
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    ::testing::InitGoogleTest (&argc, argv);
    const int result = RUN_ALL_TESTS();
    home.deleteRecursively();
    return result;
}
