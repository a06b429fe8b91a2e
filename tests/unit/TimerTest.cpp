#include "lib/Z5LogUnit.h"
#include "lib/Z5TimerUnit.h"
#include "platform/PeriodicTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

namespace {

// A one-way signal between threads. Waiting has a generous limit, so that a
// fault fails the test instead of hanging it.
class Signal {
public:
    void Raise() {
        {
            std::lock_guard lock(Mutex);
            Raised = true;
        }
        Changed.notify_all();
    }
    bool Await() {
        std::unique_lock lock(Mutex);
        return Changed.wait_for(lock, 10s, [this] { return Raised; });
    }

private:
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Raised = false;
};

// Where one thread stops until another lets it go on.
struct Gate {
    Signal Reached;
    Signal Opened;
    void Pass() {
        Reached.Raise();
        Opened.Await();
    }
};

// Time moves only when the event waits (straight to the due time) or when a
// handler says it has worked (Advance). A tick due beyond Horizon never comes:
// the event waits there for its end.
class SteppedClock final : public platform::Clock {
public:
    static constexpr std::uint32_t Horizon = 100;

    std::uint32_t Now() const override { return Time; }
    void Sleep(std::uint32_t) const override {
        ++Sleeps;
        if (OnSleep)
            OnSleep();
    }
    void SleepUntil(std::uint32_t due) const override { Time = std::max(Time.load(), due); }
    bool WaitUntil(std::uint32_t due, std::condition_variable& signal, std::unique_lock<std::mutex>& lock,
                   const std::function<bool()>& ended) const override {
        if (Gate* gate = std::exchange(HeldTick, nullptr)) {
            lock.unlock();
            gate->Pass();
            lock.lock();
            Time = due;
            return false; // the tick came first, whatever happened meanwhile
        }
        if (due > Horizon)
            signal.wait(lock, ended);
        else
            Time = std::max(Time.load(), due);
        if (ended())
            Ended.Raise();
        return ended();
    }
    void Advance(std::uint32_t milliseconds) { Time += milliseconds; }

    mutable Gate* HeldTick = nullptr; // holds the first tick here when set
    std::function<void()> OnSleep;
    mutable std::atomic<int> Sleeps{0};
    mutable Signal Ended; // the event has seen its end
    mutable std::atomic<std::uint32_t> Time{0};
};

std::string LastLogLine() {
    std::ifstream file(Log().FileName(), std::ios::binary);
    std::string last;
    for (std::string line; std::getline(file, line);)
        last = line;
    return last;
}

} // namespace

TEST(PeriodicEvent, TicksThatComeWhileTheCallRunsAreDroppedNotQueued) {
    SteppedClock clock;
    std::vector<std::uint32_t> calls;
    Signal thirdCall;
    {
        const platform::PeriodicEvent event(
            10,
            [&] {
                calls.push_back(clock.Now());
                clock.Advance(35);
                if (calls.size() == 3)
                    thirdCall.Raise();
                return true;
            },
            clock);
        ASSERT_TRUE(thirdCall.Await());
    }
    EXPECT_EQ(calls, (std::vector<std::uint32_t>{10, 50, 90}));
}

TEST(Z5Timer, StartNeedsAHandlerAndAnIntervalAndStopAnswersOnce) {
    TZ5Timer timer;
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_FALSE(timer.Start()) << "no handler";
    EXPECT_FALSE(timer.Active());
    timer.OnTimer = [](TZ5Timer&) {};
    EXPECT_TRUE(timer.Start());
    EXPECT_TRUE(timer.Active());
    EXPECT_TRUE(timer.Stop());
    EXPECT_FALSE(timer.Stop()) << "already stopped";
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Start()) << "interval 0";
    EXPECT_FALSE(timer.Active());
}

TEST(Z5Timer, NewIntervalRestartsARunningTimer) {
    SteppedClock clock;
    std::atomic<std::uint32_t> firstTick{0};
    Signal ticked;
    TZ5Timer timer(clock); // last: its thread uses the above until it goes
    timer.OnTimer = [&](TZ5Timer&) {
        std::uint32_t none = 0;
        firstTick.compare_exchange_strong(none, clock.Now());
        ticked.Raise();
    };
    ASSERT_TRUE(timer.Start()); // a tick a second: never within the horizon
    timer.SetInterval(2);
    ASSERT_TRUE(ticked.Await());
    EXPECT_EQ(firstTick.load(), 2u);
}

TEST(Z5Timer, StopWaitsForARunningHandler) {
    SteppedClock clock;
    Gate handler;
    std::atomic<bool> finished{false};
    clock.OnSleep = [&] { handler.Opened.Raise(); }; // Stop retries while the handler is busy
    TZ5Timer timer(clock);
    timer.OnTimer = [&](TZ5Timer&) {
        handler.Pass();
        finished = true;
    };
    timer.SetInterval(10);
    ASSERT_TRUE(timer.Start());
    ASSERT_TRUE(handler.Reached.Await());
    EXPECT_TRUE(timer.Stop());
    EXPECT_TRUE(finished) << "Stop returned while the handler ran";
    EXPECT_GE(clock.Sleeps.load(), 1);
    handler.Opened.Raise();
}

TEST(Z5Timer, ATickThatHasComeWhenStopRunsStartsNoHandler) {
    SteppedClock clock;
    Gate tick;
    clock.HeldTick = &tick;
    std::atomic<int> calls{0};
    {
        TZ5Timer timer(clock);
        timer.OnTimer = [&](TZ5Timer&) { ++calls; };
        timer.SetInterval(10);
        ASSERT_TRUE(timer.Start());
        ASSERT_TRUE(tick.Reached.Await());
        EXPECT_TRUE(timer.Stop());
        tick.Opened.Raise();
    } // waits for the event's thread
    EXPECT_EQ(calls.load(), 0);
}

// A handler stops its own timer by calling Stop or by throwing: it runs once,
// its event ends, and nothing hangs or aborts.
TEST(Z5Timer, AHandlerStopsItsOwnTimerByStopOrByThrowing) {
    const auto callsUntilTheEventEnds = [](const TZ5Timer::THandler& handler) {
        SteppedClock clock;
        std::atomic<int> calls{0};
        TZ5Timer timer(clock);
        timer.OnTimer = [&](TZ5Timer& sender) {
            ++calls;
            handler(sender);
        };
        timer.SetInterval(10);
        EXPECT_TRUE(timer.Start());
        EXPECT_TRUE(clock.Ended.Await());
        EXPECT_FALSE(timer.Active());
        EXPECT_FALSE(timer.Stop()) << "already stopped by its handler";
        return calls.load();
    };
    std::atomic<bool> stopAnswer{false};
    std::atomic<bool> activeAfterStop{true};
    EXPECT_EQ(callsUntilTheEventEnds([&](TZ5Timer& sender) {
                  stopAnswer = sender.Stop();
                  activeAfterStop = sender.Active();
              }),
              1);
    EXPECT_TRUE(stopAnswer);
    EXPECT_FALSE(activeAfterStop);

    EXPECT_EQ(callsUntilTheEventEnds([](TZ5Timer&) { throw std::runtime_error("the stream broke off"); }), 1);
    const std::string line = LastLogLine();
    EXPECT_NE(line.find("Error! The timer's handler failed, the timer stops: the stream broke off"),
              std::string::npos)
        << line;
}
