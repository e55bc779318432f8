#include "arp/ArpPattern.h"
#include "arp/ArpRunner.h"
#include "dsp/DSPContext.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
/** One event as the voices would see it. */
struct Out
{
    int type, note;
    bool slide;
    bool operator== (const Out& o) const { return type == o.type && note == o.note && slide == o.slide; }
};

std::ostream& operator<< (std::ostream& os, const Out& o)
{
    return os << "{" << o.type << "," << o.note << (o.slide ? ",slide" : "") << "}";
}

class ArpRunnerTest : public ::testing::Test
{
protected:
    DSPContext context;
    NoteEventPool pool { 256 };
    ArpPattern pattern;
    std::unique_ptr<ArpRunner> fresh = std::make_unique<ArpRunner> (pool);

    void SetUp() override { restart(); }

    /** A runner that has played nothing yet. */
    void restart()
    {
        fresh->enabled = true;
        fresh->context = &context;
        fresh->pattern = &pattern;
    }

    /** One sub-block at the given tick (or none with -1), with incoming events. */
    std::vector<Out> tick (int counter, std::vector<NoteEvent*> incoming = {}, int transition = 0)
    {
        context.tickCounter = counter;
        context.tickOffset = counter >= 0 ? 40 : -1;
        context.transition = transition;
        fresh->process (incoming);
        std::vector<Out> out;
        for (auto* e : incoming)
        {
            if (e->fromArp)
            {
                EXPECT_EQ (e->time, 32); // step offsets keep the engine's 32-sample grain
            }
            out.push_back ({ e->type, e->note, e->slide });
        }
        pool.releaseAll (incoming);
        return out;
    }

    NoteEvent* on (int note) { return pool.acquire (NoteEvent::noteOn, note, 0.8f, 0); }
    NoteEvent* off (int note) { return pool.acquire (NoteEvent::noteOff, note, 1.0f, 0); }

    void useSingleStep (const ArpStep& step)
    {
        pattern.steps.clear();
        pattern.steps.push_back (std::make_unique<ArpStep> (step));
    }

    static constexpr int kRelease = NoteEvent::releaseAll;
    static constexpr int kOn = NoteEvent::noteOn;
};
} // namespace

TEST_F (ArpRunnerTest, DefaultPatternPlaysFirstThenUpThenAHeldPair)
{
    // MIDI 60 and 64 are engine notes 48 and 52.
    EXPECT_TRUE (tick (-1, { on (48), on (52) }).empty()); // held, no tick yet
    EXPECT_EQ (tick (0), (std::vector<Out> { { kRelease, 10, false }, { kOn, 48, false } }));
    EXPECT_TRUE (tick (1).empty());
    EXPECT_EQ (tick (2), (std::vector<Out> { { kRelease, 10, false } })); // half-way: released
    EXPECT_EQ (tick (4), (std::vector<Out> { { kRelease, 10, false }, { kOn, 52, false } }));
    EXPECT_EQ (tick (6), (std::vector<Out> { { kRelease, 10, false } }));
    // Step 3 asks for three voices of two held notes, from the current position.
    EXPECT_EQ (tick (8), (std::vector<Out> { { kRelease, 10, false }, { kOn, 52, false }, { kOn, 48, false } }));
    EXPECT_TRUE (tick (10).empty()); // a holding step is not released half-way
}

TEST_F (ArpRunnerTest, StepTable)
{
    struct Case
    {
        const char* what;
        ArpStep step;
        std::vector<int> held;
        std::vector<Out> atStart;
    };
    const Case cases[] = {
        { "rest plays and releases nothing", { 0, 0, 0, false, 1, false }, { 48 }, {} },
        { "transpose below zero is raised an octave", { -12, 0, 2, false, 1, false }, { 5 },
          { { kRelease, 10, false }, { kOn, 5, false } } },
        { "glide plays one note, joined", { 0, 0, 2, false, 3, true }, { 48, 52 }, { { kOn, 48, true } } },
        { "last", { 0, 0, 3, false, 1, false }, { 48, 52, 55 }, { { kRelease, 10, false }, { kOn, 55, false } } },
        { "down wraps to the last", { 0, 0, 4, false, 1, false }, { 48, 52 }, { { kRelease, 10, false }, { kOn, 52, false } } },
        { "no voices plays nothing after the release", { 0, 0, 1, false, 0, false }, { 48 }, { { kRelease, 10, false } } },
    };
    for (const auto& c : cases)
    {
        useSingleStep (c.step);
        std::vector<NoteEvent*> keys;
        for (int n : c.held)
            keys.push_back (on (n));
        tick (-1, keys);
        EXPECT_EQ (tick (0), c.atStart) << c.what;
        fresh = std::make_unique<ArpRunner> (pool);
        restart();
    }
}

TEST_F (ArpRunnerTest, ReleaseFromOutsideSilencesTheArpeggio)
{
    tick (-1, { on (48) });
    const auto out = tick (0, { pool.acquire (NoteEvent::releaseAll, 10, 1.0f, 0) });
    EXPECT_EQ (out, (std::vector<Out> { { kRelease, 10, false } }));
    EXPECT_TRUE (fresh->getHeldNotes().empty());
}

TEST_F (ArpRunnerTest, SortedFingersAndReleasedKeys)
{
    pattern.sortFingers = true;
    tick (-1, { on (55), on (48), on (52), on (48) });
    EXPECT_EQ (fresh->getHeldNotes(), (std::vector<int> { 48, 48, 52, 55 }));
    tick (-1, { off (48) });
    EXPECT_EQ (fresh->getHeldNotes(), (std::vector<int> { 52, 55 }));
}

TEST_F (ArpRunnerTest, WithoutKeysTheNextStepIsTheFirstUnlessContinuous)
{
    tick (-1, { on (48) });
    tick (0);
    tick (4);
    tick (-1, { off (48) });
    tick (8);
    EXPECT_EQ (fresh->getStepIndex(), 0);

    pattern.continuous = true;
    tick (-1, { on (48) });
    tick (12);
    tick (-1, { off (48) });
    tick (16);
    EXPECT_EQ (fresh->getStepIndex(), 2);
}

TEST_F (ArpRunnerTest, TransportStartRestartsAtTheFirstStep)
{
    tick (-1, { on (48), on (52) });
    tick (0);
    tick (4);
    EXPECT_EQ (fresh->getStepIndex(), 2);
    EXPECT_EQ (tick (0, {}, 1), (std::vector<Out> { { kRelease, 10, false }, { kOn, 48, false } }));
    EXPECT_EQ (fresh->getStepIndex(), 1);
}

TEST_F (ArpRunnerTest, TurningOffReleasesAndForgetsTheKeys)
{
    tick (-1, { on (48) });
    tick (0);
    fresh->enabled = false;
    std::vector<NoteEvent*> none;
    fresh->process (none);
    ASSERT_EQ (none.size(), 1u);
    EXPECT_EQ (none[0]->type, NoteEvent::releaseAll);
    pool.releaseAll (none);
    EXPECT_TRUE (fresh->getHeldNotes().empty());
}

TEST_F (ArpRunnerTest, FreeRunningStepsLastFourTicksOf1378Samples)
{
    // 120 bpm at 44.1 kHz: a 1/64 note is 1378 samples, a default step four of them.
    tick (-1, { on (48), on (52) });
    std::vector<long> starts;
    long time = 0;
    for (int block = 0; block < 3000; ++block, time += 32)
    {
        context.transition = 0;
        context.update (32);
        std::vector<NoteEvent*> events;
        fresh->process (events);
        for (auto* e : events)
            if (e->type == NoteEvent::noteOn)
            {
                starts.push_back (time + e->time);
                break;
            }
        pool.releaseAll (events);
    }
    ASSERT_GE (starts.size(), 10u);
    for (size_t i = 2; i < starts.size(); ++i)
        EXPECT_NEAR (starts[i] - starts[i - 1], 5512, 32) << i;
}
