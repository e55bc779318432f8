// A host's message thread automates while its audio thread processes: the
// plug-in's parameters, engine and host notifications are shared between them.
// CI runs this suite again in a ThreadSanitizer build.

#include "HostWorkload.h"
#include "PluginFixture.h"

#include <atomic>
#include <random>
#include <thread>

namespace
{
class ThreadsTest : public PluginFixture
{
};

class CountingListener : public juce::AudioProcessorListener
{
public:
    std::atomic<int> changes { 0 };
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { ++changes; }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
};
} // namespace

TEST_P (ThreadsTest, MessageThreadAutomatesWhileTheAudioThreadProcesses)
{
    constexpr int kBlock = 32;
    constexpr int kBlocks = 500;
    plugin->prepareToPlay (44100.0, kBlock);
    CountingListener listener;
    plugin->addListener (&listener);

    std::atomic<bool> finished { false };
    std::atomic<int> problems { 0 };
    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, kBlock);
        juce::MidiBuffer midi;
        for (int b = 0; b < kBlocks; ++b)
        {
            midi.clear();
            HostWorkload::addEvents (midi, (juce::int64) b * kBlock, kBlock);
            plugin->processBlock (buffer, midi);
            if (! HostWorkload::checkBlock (buffer, kBlock).empty())
                ++problems;
        }
        finished = true;
    });

    std::mt19937 random (5);
    std::uniform_int_distribution<int> anyParam (0, 86);
    std::uniform_real_distribution<float> anyValue (0.0f, 1.0f);
    int sets = 0;
    while (! finished)
    {
        auto* parameter = param (anyParam (random));
        parameter->beginChangeGesture();
        parameter->setValueNotifyingHost (anyValue (random));
        parameter->endChangeGesture();
        ++sets;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    }
    audio.join();
    plugin->removeListener (&listener);

    EXPECT_EQ (problems.load(), 0);
    EXPECT_GT (sets, 0);
    EXPECT_GT (listener.changes.load(), 0);
}

INSTANTIATE_TEST_SUITE_P (Formats, ThreadsTest,
                          ::testing::Values (PluginLoader::Format::vst2, PluginLoader::Format::vst3,
                                             PluginLoader::Format::lv2),
                          formatTestName);
