#include "dsp/DspRandom.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST (DspRandom, UniformOverTheWholeRange)
{
    constexpr int draws = 200000;
    std::vector<int> buckets (8, 0);
    int low = DspRandom::kMax, high = 0;
    for (int i = 0; i < draws; ++i)
    {
        const int v = DspRandom::next();
        ASSERT_GE (v, 0);
        ASSERT_LE (v, DspRandom::kMax);
        low = std::min (low, v);
        high = std::max (high, v);
        ++buckets[(size_t) (v / 4096)];
    }
    EXPECT_LT (low, 10);
    EXPECT_GT (high, DspRandom::kMax - 10);
    for (int count : buckets)
        EXPECT_NEAR (count, draws / 8, draws / 80);
}

TEST (DspRandom, SafeFromSeveralThreadsAtOnce)
{
    std::atomic<bool> inRange { true };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back ([&] {
            for (int i = 0; i < 50000; ++i)
            {
                const int v = DspRandom::next();
                if (v < 0 || v > DspRandom::kMax)
                    inRange = false;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_TRUE (inRange);
}
