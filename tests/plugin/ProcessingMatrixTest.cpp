// Every sample rate a host may run at, with every kind of block size, while a
// busy note pattern plays.

#include "HostWorkload.h"
#include "PluginFixture.h"

namespace
{
class ProcessingMatrixTest : public PluginFixture
{
protected:
    /** Renders at least four blocks and one pattern cycle. */
    void play (int blockSize, juce::int64& position)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        const juce::int64 end = position + std::max (4 * blockSize, HostWorkload::kCycle);
        while (position < end)
        {
            midi.clear();
            HostWorkload::addEvents (midi, position, blockSize);
            HostWorkload::poison (buffer);
            plugin->processBlock (buffer, midi);
            const auto problem = HostWorkload::checkBlock (buffer, blockSize);
            ASSERT_TRUE (problem.empty()) << problem << " (block " << blockSize << ")";
            position += blockSize;
        }
    }
};

const double kRates[] = { 44100.0, 48000.0, 88200.0, 96000.0, 192000.0 };
const int kBlocks[] = { 1, 17, 32, 64, 333, 512, 1024, 4096, 8193 };
} // namespace

TEST_P (ProcessingMatrixTest, EveryRateAndBlockSizeGivesCleanAudio)
{
    juce::int64 position = 0;
    for (double rate : kRates)
        for (int block : kBlocks)
        {
            SCOPED_TRACE (testing::Message() << rate << " Hz, blocks of " << block);
            plugin->prepareToPlay (rate, block);
            play (block, position);
            plugin->releaseResources();
        }
}

TEST_P (ProcessingMatrixTest, RateAndBlockChangesWithoutReleasingFirst)
{
    juce::int64 position = 0;
    plugin->prepareToPlay (44100.0, 512);
    play (512, position);
    plugin->prepareToPlay (96000.0, 64);
    play (64, position);
    plugin->prepareToPlay (48000.0, 4096);
    // Hosts also send shorter blocks than they announced, in any order.
    for (int block : { 1, 17, 4096, 333, 32, 2048 })
        play (block, position);
}

INSTANTIATE_TEST_SUITE_P (Formats, ProcessingMatrixTest,
                          ::testing::Values (PluginLoader::Format::vst2, PluginLoader::Format::vst3,
                                             PluginLoader::Format::lv2),
                          formatTestName);
