#include "game/core/WaitTimerUnit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A clock the test moves by hand; sleeping moves it too.
class FakeClock final : public platform::Clock {
public:
    std::uint32_t Now() const override { return Time; }
    void Sleep(std::uint32_t milliseconds) const override {
        Sleeps.push_back(milliseconds);
        Time += milliseconds;
    }
    void SleepUntil(std::uint32_t due) const override {
        PreciseSleeps.push_back(due);
        if (static_cast<std::int32_t>(due - Time) > 0)
            Time = due;
    }
    bool WaitUntil(std::uint32_t due, std::condition_variable&, std::unique_lock<std::mutex>&,
                   const std::function<bool()>& ended) const override {
        Time = due; // the frame pacing never waits this way
        return ended();
    }
    void Advance(std::uint32_t milliseconds) { Time += milliseconds; }

    mutable std::uint32_t Time = 0xFFFFF000; // close to the wrap, on purpose
    mutable std::vector<std::uint32_t> Sleeps;
    mutable std::vector<std::uint32_t> PreciseSleeps; // their due times
};

class WaitTimerTest : public ::testing::Test {
protected:
    // Asks until a frame is granted; answers the milliseconds that took.
    std::uint32_t WaitForFrame() {
        const std::uint32_t start = Clock.Time;
        for (int calls = 0;; ++calls) {
            const std::uint32_t before = Clock.Time;
            if (!Timer.Check())
                break;
            if (calls > 10000) {
                ADD_FAILURE() << "no frame granted";
                break;
            }
            if (Clock.Time == before)
                Clock.Advance(1); // the caller spins through its loop meanwhile
        }
        return Clock.Time - start;
    }

    FakeClock Clock;
    TWaitTimer Timer{Clock};
};

} // namespace

TEST_F(WaitTimerTest, NoFrameWithoutAPositiveRate) {
    EXPECT_TRUE(Timer.Check()) << "before the first SetRate";
    Timer.SetRate(0);
    Clock.Advance(1000);
    EXPECT_TRUE(Timer.Check());
    Timer.SetRate(-5);
    EXPECT_TRUE(Timer.Check());
    EXPECT_EQ(Timer.Rate(), 0);
}

TEST_F(WaitTimerTest, FirstCheckAfterSetRateGrantsAFrameAtOnce) {
    Timer.SetRate(60);
    EXPECT_FALSE(Timer.Check());
    EXPECT_FALSE(Timer.IsSkipping());
    EXPECT_TRUE(Timer.Check()) << "a second call in the same millisecond waits";
}

TEST_F(WaitTimerTest, FramesAheadOfTheClockComeOneIntervalApart) {
    Timer.SetRate(60);
    Timer.SetFrameSkip(true);
    ASSERT_FALSE(Timer.Check());
    for (int frame = 0; frame < 20; ++frame) {
        EXPECT_EQ(WaitForFrame(), 16u) << "the threshold is capped at Interval (1000 div 60)";
        EXPECT_FALSE(Timer.IsSkipping());
    }
    for (const std::uint32_t sleep : Clock.Sleeps)
        EXPECT_LE(sleep, 2u) << "a waiting call sleeps at most 2 ms";
}

TEST_F(WaitTimerTest, BacklogIsDroppedAndTheNextFrameIsDrawn) {
    Timer.SetRate(60);
    Timer.SetFrameSkip(true);
    ASSERT_FALSE(Timer.Check()); // Balance 1000
    Clock.Advance(100);          // Balance 1000 - 6000 = -5000: reset to 0
    ASSERT_FALSE(Timer.Check());
    EXPECT_TRUE(Timer.IsSkipping());
    ASSERT_FALSE(Timer.Check()) << "granted at once, without waiting";
    EXPECT_FALSE(Timer.IsSkipping());

    Clock.Advance(10 * 3600 * 1000); // ten hours: 60 × 36,000,000 leaves 32 bits
    ASSERT_FALSE(Timer.Check());
    EXPECT_TRUE(Timer.IsSkipping()) << "a backlog like any other";
    ASSERT_FALSE(Timer.Check());
    EXPECT_FALSE(Timer.IsSkipping());
}

TEST_F(WaitTimerTest, LateFramesSkipAtMostThreeInARow) {
    Timer.SetRate(60);
    Timer.SetFrameSkip(true);
    ASSERT_FALSE(Timer.Check());
    int undrawnInARow = 0;
    int longestRun = 0;
    int drawn = 0;
    // Each frame takes 30 ms on this slow machine: the game falls behind.
    for (int frame = 0; frame < 200; ++frame) {
        Clock.Advance(30);
        ASSERT_FALSE(Timer.Check()) << "a late frame never waits";
        undrawnInARow = Timer.IsSkipping() ? undrawnInARow + 1 : 0;
        longestRun = std::max(longestRun, undrawnInARow);
        drawn += Timer.IsSkipping() ? 0 : 1;
    }
    EXPECT_EQ(longestRun, 3);
    EXPECT_GE(drawn, 200 / 4);
}

TEST_F(WaitTimerTest, WithoutFrameSkipLateTimeIsDropped) {
    Timer.SetRate(60);
    ASSERT_FALSE(Timer.Check());
    for (int frame = 0; frame < 50; ++frame) {
        Clock.Advance(30);
        ASSERT_FALSE(Timer.Check());
        EXPECT_FALSE(Timer.IsSkipping());
    }
    // Once the machine is fast again frames come one interval apart: nothing to catch up.
    EXPECT_EQ(WaitForFrame(), 16u);
}

TEST_F(WaitTimerTest, MeasuredRatesChangeOnlyAfterAFullPeriod) {
    Timer.SetRate(60);
    Timer.SetFrameSkip(true);
    // 61 frames granted over 1016 ms: 61 * 1000 / 1016 = 60.04.
    ASSERT_FALSE(Timer.Check());
    for (int frame = 1; frame < 61; ++frame) {
        Clock.Advance(frame < 60 ? 16 : 1016 - 59 * 16);
        ASSERT_FALSE(Timer.Check());
        if (frame < 60) {
            EXPECT_EQ(Timer.FPS(), 0) << "no period has completed yet";
        }
    }
    EXPECT_EQ(Timer.FPS(), 60);
    EXPECT_EQ(Timer.DrawFPS(), 59) << "the last frame came 72 ms late and went undrawn: 60 * 1000 / 1016";
}

// The loop may block for TimeUntilDue: it wakes before the frame is due,
// late frames included, and Check's own short wait finishes the frame.
TEST_F(WaitTimerTest, TimeUntilDueWakesTheLoopBeforeTheNextFrame) {
    Timer.SetRate(60);
    Timer.SetFrameSkip(true);
    std::uint32_t work = 12345;
    for (int frame = 0; frame < 600; ++frame) {
        if (const std::uint32_t due = Timer.TimeUntilDue(); due > 0) {
            Clock.Advance(due);
            EXPECT_EQ(Timer.TimeUntilDue(), 0u) << "frame " << frame;
            EXPECT_TRUE(Timer.Check()) << "woken before the frame is due, frame " << frame;
        }
        EXPECT_LE(WaitForFrame(), 3u) << "frame " << frame;
        work = work * 1103515245 + 12345; // the frame's own work: 0 to 23 ms, some frames late
        Clock.Advance((work >> 16) % 24);
    }
    Timer.SetRate(0);
    EXPECT_EQ(Timer.TimeUntilDue(), 0u) << "without a rate no frame is waited for";
}

// The game's loop blocks until TimeUntilDue when nothing is to be drawn, and
// a system wait wakes up to a millisecond late; the rest of the frame is
// left to Check. Its timed frames come as fast as those of a loop that only
// asks Check.
TEST(WaitTimerLoop, AWaitingLoopRunsAsManyFramesAsABusyOne) {
    const auto framesInAMinute = [](bool waiting) {
        FakeClock clock;
        TWaitTimer timer(clock);
        timer.SetRate(60);
        timer.SetFrameSkip(true);
        const std::uint32_t end = clock.Time + 60'000;
        int frames = 0;
        while (static_cast<std::int32_t>(clock.Time - end) < 0) {
            const std::uint32_t before = clock.Time;
            if (const std::uint32_t due = timer.TimeUntilDue(); waiting && due > 0)
                clock.Advance(due + 1);
            if (!timer.Check())
                ++frames;
            else if (clock.Time == before)
                clock.Advance(1); // a pass through the loop
        }
        return frames;
    };
    const int busy = framesInAMinute(false);
    EXPECT_GE(busy, 60 * 60);
    EXPECT_NEAR(framesInAMinute(true), busy, 1);
}

// The still title's loop: a system wait until TimeUntilDue that wakes a
// millisecond late, then Check. Check sleeps the rest to the frame's due time
// at once, rather than being asked again and again until the frame is due:
// one pass waits, the next runs the frame, on its due time to the millisecond.
TEST_F(WaitTimerTest, TheLastMillisecondsBeforeAFrameAreOneSleepToItsDueTime) {
    Timer.SetRate(60);
    Timer.SetFrameSkip(true);
    ASSERT_FALSE(Timer.Check());
    for (int frame = 0; frame < 100; ++frame) {
        const std::uint32_t start = Clock.Time;
        Clock.Advance(Timer.TimeUntilDue() + 1);
        ASSERT_TRUE(Timer.Check()) << "frame " << frame;
        ASSERT_EQ(Clock.PreciseSleeps.size(), static_cast<std::size_t>(frame + 1));
        EXPECT_EQ(Clock.PreciseSleeps.back(), start + 16) << "to the due time, frame " << frame;
        ASSERT_FALSE(Timer.Check()) << "the next pass runs the frame, frame " << frame;
        EXPECT_EQ(Clock.Time - start, 16u) << "frame " << frame;
    }
}
