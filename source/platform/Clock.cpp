#include "platform/Clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {

namespace {

using SteadyClock = std::chrono::steady_clock;

// What Sleep(0) gives up: the rest of a time slice, for real. A yield returns
// at once on an idle machine, and the frame pacing, which sleeps 0 on every
// pass of the message loop, would keep a core busy; this short sleep keeps a
// frame within a millisecond of when it is due.
constexpr std::chrono::microseconds TimeSliceRest(250);

class SteadySystemClock final : public Clock {
public:
    std::uint32_t Now() const override { return TimeGetTime(); }
    void Sleep(std::uint32_t milliseconds) const override { SleepMs(milliseconds); }

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
    const auto since = SteadyClock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<std::uint32_t>(ms); // wraps by design
}

void SleepMs(std::uint32_t milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::sleep_for(TimeSliceRest);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
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
