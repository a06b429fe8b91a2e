#pragma once
// Time services: the millisecond clock the frame pacing reads, sleeping, and the
// nanosecond performance counter the profiler reads.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace platform {

// Milliseconds of a steady clock, 32 bits wide: it wraps after 49.7 days, so
// callers compare times by signed difference.
std::uint32_t TimeGetTime();

// Sleeps the given milliseconds; 0 gives up the rest of the time slice.
void SleepMs(std::uint32_t milliseconds);
// Sleeps until TimeGetTime() reaches `due`, waking within the system timer's
// precision of that time rather than a whole millisecond or more after it; at
// once when `due` has passed (compared by signed difference).
void SleepUntilMs(std::uint32_t due);

// A steady counter in nanoseconds; its frequency is PerformanceFrequency().
std::int64_t PerformanceCounter();
inline constexpr std::int64_t PerformanceFrequency = 1'000'000'000;

// The clock a pacing object reads and waits with. Tests hand in their own to
// control time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t Now() const = 0;
    virtual void Sleep(std::uint32_t milliseconds) const = 0;
    // Sleeps until Now() reaches `due`, precisely (SleepUntilMs).
    virtual void SleepUntil(std::uint32_t due) const = 0;
    // Waits on `signal` (with `lock` held on its mutex) until `ended` answers
    // true or the clock reaches `due`. Answers `ended`.
    virtual bool WaitUntil(std::uint32_t due, std::condition_variable& signal,
                           std::unique_lock<std::mutex>& lock, const std::function<bool()>& ended) const = 0;
};

// The steady system clock above; shared, never destroyed before exit.
const Clock& SystemClock();

} // namespace platform
