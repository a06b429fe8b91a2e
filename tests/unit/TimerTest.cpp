#include "lib/Z5TimerUnit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

TEST(Z5Timer, StartNeedsAHandlerAndStopAnswersOnce) {
    TZ5Timer timer;
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_FALSE(timer.Start()) << "no handler";
    EXPECT_FALSE(timer.Active());
    timer.OnTimer = [](TZ5Timer&) {};
    EXPECT_TRUE(timer.Start());
    EXPECT_TRUE(timer.Active());
    EXPECT_TRUE(timer.Stop());
    EXPECT_FALSE(timer.Stop()) << "already stopped";
}

TEST(Z5Timer, TicksWhileTheHandlerRunsAreDroppedNotQueued) {
    TZ5Timer timer;
    std::atomic<int> running{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> calls{0};
    timer.OnTimer = [&](TZ5Timer& sender) {
        EXPECT_EQ(&sender, &timer);
        if (running.fetch_add(1) != 0)
            ++overlaps;
        ++calls;
        std::this_thread::sleep_for(20ms); // four periods long
        running.fetch_sub(1);
    };
    timer.SetInterval(5);
    ASSERT_TRUE(timer.Start());
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(timer.Stop());
    const int callsAtStop = calls.load();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(running.load(), 0) << "Stop returns only after the handler has finished";
    EXPECT_GE(callsAtStop, 3);
    EXPECT_LE(callsAtStop, 200 / 20 + 1) << "missed ticks are not made up";
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(calls.load(), callsAtStop) << "no handler starts after Stop";
}

TEST(Z5Timer, NewIntervalRestartsARunningTimer) {
    TZ5Timer timer;
    std::atomic<int> calls{0};
    timer.OnTimer = [&](TZ5Timer&) { ++calls; };
    ASSERT_TRUE(timer.Start()); // one tick a second: none within the test
    timer.SetInterval(2);
    EXPECT_TRUE(timer.Active());
    std::this_thread::sleep_for(100ms);
    timer.Stop();
    EXPECT_GE(calls.load(), 5);
}
