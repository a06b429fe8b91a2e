#include "platform/Clock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

namespace platform {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::int64_t NanosecondsPerMs = 1'000'000;
constexpr std::int64_t NanosecondsPerSecond = 1'000'000'000;

// The clock TimeGetTime reads and SleepUntilMs sleeps on, so that a due time
// of the one is a time of the other.
std::int64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * NanosecondsPerSecond + now.tv_nsec;
}

// What Sleep(0) gives up: the rest of a time slice, for real. A yield returns
// at once on an idle machine, and the frame pacing, which sleeps 0 on every
// pass of the message loop, would keep a core busy; this short sleep keeps a
// frame within a millisecond of when it is due.
constexpr std::chrono::microseconds TimeSliceRest(250);

class SteadySystemClock final : public Clock {
public:
    std::uint32_t Now() const override { return TimeGetTime(); }
    void Sleep(std::uint32_t milliseconds) const override { SleepMs(milliseconds); }
    void SleepUntil(std::uint32_t due) const override { SleepUntilMs(due); }

    // Now() is truncated to the millisecond, so waiting the whole milliseconds
    // left never wakes before `due`.
    bool WaitUntil(std::uint32_t due, std::condition_variable& signal, std::unique_lock<std::mutex>& lock,
                   const std::function<bool()>& ended) const override {
        const auto remaining = std::max(static_cast<std::int32_t>(due - Now()), 0); // the clock wraps
        return signal.wait_for(lock, std::chrono::milliseconds(remaining), ended);
    }
};

} // namespace

std::uint32_t TimeGetTime() {
    return static_cast<std::uint32_t>(MonotonicNanoseconds() / NanosecondsPerMs); // wraps by design
}

void SleepMs(std::uint32_t milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::sleep_for(TimeSliceRest);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// A sleep to an absolute time on the monotonic clock: neither a late start
// nor the rounding of a relative sleep adds to it, so it ends when the
// millisecond `due` begins.
void SleepUntilMs(std::uint32_t due) {
    const std::int64_t nowMs = MonotonicNanoseconds() / NanosecondsPerMs;
    const auto ahead = static_cast<std::int32_t>(due - static_cast<std::uint32_t>(nowMs)); // the clock wraps
    if (ahead <= 0)
        return;
    const std::int64_t dueNs = (nowMs + ahead) * NanosecondsPerMs;
    const timespec dueTime{static_cast<time_t>(dueNs / NanosecondsPerSecond),
                           static_cast<long>(dueNs % NanosecondsPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &dueTime, nullptr) == EINTR) {
    }
}

std::int64_t PerformanceCounter() {
    const auto since = SteadyClock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
}

const Clock& SystemClock() {
    static const SteadySystemClock clock;
    return clock;
}

} // namespace platform
