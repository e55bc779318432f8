// What the audio thread may not do once it runs: allocate, open files (the
// log included) or wait for a lock another thread holds, while notes,
// controllers and automation arrive and other threads read and save the sound.

#include "HostWorkload.h"
#include "PluginFixture.h"
#include "RealtimeMonitor.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>

namespace
{
class RealtimeSafetyTest : public PluginFixture
{
protected:
    static constexpr int kBlock = 64;

    void SetUp() override
    {
        if (! RealtimeMonitor::isAvailable())
            GTEST_SKIP() << "sanitizer build";
        PluginFixture::SetUp();
        plugin->prepareToPlay (44100.0, kBlock);
    }

    /** Renders blocks of the note pattern, counting what happens inside
        processBlock only; automation is set between the blocks, as a host
        thread would. */
    RealtimeMonitor::Counts play (int blocks, juce::int64& position, std::mt19937& random)
    {
        std::uniform_int_distribution<int> anyParam (0, 86);
        std::uniform_real_distribution<float> anyValue (0.0f, 1.0f);
        juce::AudioBuffer<float> buffer (2, kBlock);
        juce::MidiBuffer midi;
        midi.ensureSize (4096);
        RealtimeMonitor::Counts total;
        for (int b = 0; b < blocks; ++b, position += kBlock)
        {
            for (int k = 0; k < 3; ++k)
                param (anyParam (random))->setValueNotifyingHost (anyValue (random));
            midi.clear();
            HostWorkload::addEvents (midi, position, kBlock);

            RealtimeMonitor::start();
            plugin->processBlock (buffer, midi);
            total += RealtimeMonitor::stop();
        }
        return total;
    }
};
} // namespace

TEST_P (RealtimeSafetyTest, TheMonitorSeesWhatItCounts)
{
    std::mutex lock;
    std::atomic<bool> held { false };
    std::thread holder ([&] {
        const std::lock_guard<std::mutex> guard (lock);
        held = true;
        std::this_thread::sleep_for (std::chrono::milliseconds (50));
    });
    while (! held)
        std::this_thread::yield();

    RealtimeMonitor::start();
    auto* block = new std::vector<float> (64);
    FILE* file = std::fopen ("/proc/self/stat", "r");
    lock.lock();
    const auto counts = RealtimeMonitor::stop();
    lock.unlock();
    holder.join();
    if (file != nullptr)
        std::fclose (file);
    delete block;

    EXPECT_GE (counts.allocations, 1);
    EXPECT_EQ (counts.fileOpens, 1);
    EXPECT_EQ (counts.lockWaits, 1);
}

TEST_P (RealtimeSafetyTest, ProcessingNeitherAllocatesNorOpensFilesNorWaits)
{
    std::mt19937 random (11);
    juce::int64 position = 0;
    play (1, position, random); // the first block may warm up

    const auto counts = play (400, position, random);
    EXPECT_EQ (counts.allocations, 0);
    EXPECT_EQ (counts.fileOpens, 0);
    EXPECT_EQ (counts.lockWaits, 0);
}

TEST_P (RealtimeSafetyTest, SavingTheSoundOnAnotherThreadNeverMakesTheAudioWait)
{
    std::mt19937 random (12);
    juce::int64 position = 0;
    play (1, position, random);

    std::atomic<bool> running { true }, saving { true };
    std::thread saver ([&] {
        while (running)
        {
            juce::MemoryBlock block;
            plugin->getStateInformation (block);
        }
        saving = false;
    });
    RealtimeMonitor::Counts counts;
    for (int round = 0; round < 20; ++round)
    {
        counts += play (20, position, random);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    }
    // JUCE's VST3 host side saves under the message-thread lock: the loop
    // runs until the saver is done.
    running = false;
    while (saving)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    saver.join();
    EXPECT_EQ (counts.allocations, 0);
    EXPECT_EQ (counts.fileOpens, 0);
    EXPECT_EQ (counts.lockWaits, 0);
}

INSTANTIATE_TEST_SUITE_P (Formats, RealtimeSafetyTest,
                          ::testing::Values (PluginLoader::Format::vst2, PluginLoader::Format::vst3,
                                             PluginLoader::Format::lv2),
                          formatTestName);
