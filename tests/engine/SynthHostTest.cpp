#include "RealtimeMonitor.h"
#include "engine/SynthHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
struct HostFixture : ::testing::Test
{
    SynthHost host;
    juce::MidiBuffer midi;
    std::vector<float> left = std::vector<float> (40000), right = std::vector<float> (40000);

    void render (int count, int sampleRate = 44100)
    {
        host.render (left.data(), right.data(), count, midi, sampleRate);
    }
};
} // namespace

TEST_F (HostFixture, BlocksOfOneHundredRenderAheadInMultiplesOf32)
{
    // 128 rendered, 28 kept; then 72 needed, rounded to 96; and so on.
    const int expectedWaiting[] = { 28, 24, 20, 16, 12, 8, 4, 0, 28 };
    for (int waiting : expectedWaiting)
    {
        render (100);
        EXPECT_EQ (host.getBufferedSamples(), waiting);
    }
}

TEST_F (HostFixture, ShortBlockServedFromWaitingSamplesLeavesMidiUnread)
{
    render (12); // 32 rendered, 20 waiting
    ASSERT_EQ (host.getBufferedSamples(), 20);
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
    render (16);
    EXPECT_EQ (host.getBufferedSamples(), 4);
    EXPECT_FALSE (midi.isEmpty());
    render (16);
    EXPECT_TRUE (midi.isEmpty());
}

TEST_F (HostFixture, ZeroSamplesDoNothing)
{
    render (0);
    EXPECT_EQ (host.getBufferedSamples(), 0);
    EXPECT_EQ (host.getEngine().getContext().time, 0.0);
}

TEST_F (HostFixture, EngineRendersInSubBlocksOfAtMost512)
{
    render (1216);
    const auto& context = host.getEngine().getContext();
    EXPECT_EQ (context.blockSize, 192);
    EXPECT_NEAR (context.time, 1216.0 / 44100.0, 1e-9);
}

TEST_F (HostFixture, AnyBlockLengthReturnsExactlyTheSamplesAskedFor)
{
    long total = 0;
    for (int count : { 1, 16, 100, 512, 4096, 8192, 8193, 10000, 32768, 17 })
    {
        std::fill (left.begin(), left.end(), NAN);
        render (count);
        total += count;
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE (std::isfinite (left[(size_t) i])) << count << " at " << i;
        EXPECT_TRUE (std::isnan (left[(size_t) count])) << count;
        EXPECT_LT (host.getBufferedSamples(), 32) << count;
    }
    const double rendered = host.getEngine().getContext().time * 44100.0;
    EXPECT_NEAR (rendered, (double) (total + host.getBufferedSamples()), 0.01);
}

TEST_F (HostFixture, SampleRateReachesTheEngineAndZeroKeepsIt)
{
    render (64, 48000);
    EXPECT_EQ (host.getEngine().getContext().sampleRate, 48000);
    render (64, 0);
    EXPECT_EQ (host.getEngine().getContext().sampleRate, 48000);
}

TEST_F (HostFixture, MeterFallsBackToZeroInSilence)
{
    for (int i = 0; i < 10; ++i)
        render (512);
    EXPECT_EQ (host.getMeter(), 0.0f);
}

TEST_F (HostFixture, RenderingAllocatesNothingAfterTheFirstBlock)
{
    if (! RealtimeMonitor::isAvailable())
        GTEST_SKIP() << "sanitizer build";
    render (512);
    RealtimeMonitor::start();
    for (int count : { 1, 16, 100, 512, 4096, 10000, 333, 8193 })
        for (int i = 0; i < 20; ++i)
            render (count);
    EXPECT_EQ (RealtimeMonitor::stop().allocations, 0);
}
