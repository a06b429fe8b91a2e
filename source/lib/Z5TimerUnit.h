#pragma once
// A periodic timer that calls its handler on a thread of its own. The handler
// never overlaps itself: a tick that comes while it still runs is dropped.
// Stop (on the owner's thread) returns only after a running handler has
// finished, and no handler starts after it until the next Start.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {
class PeriodicEvent;
}

class TZ5Timer {
public:
    using THandler = std::function<void(TZ5Timer& sender)>;

    TZ5Timer();
    ~TZ5Timer(); // stops first
    TZ5Timer(const TZ5Timer&) = delete;
    TZ5Timer& operator=(const TZ5Timer&) = delete;

    // Set by the owner before Start; called on the timer's thread.
    THandler OnTimer;

    // True when the periodic event runs (false without a handler).
    bool Start();
    // True when an event was running and is now stopped.
    bool Stop();
    // Milliseconds between ticks; a running timer restarts with the new period.
    void SetInterval(std::uint32_t milliseconds);

    bool Active() const { return Active_; }
    std::uint32_t Interval() const { return Interval_; }

private:
    void TimerProc(std::uint32_t eventId);

    bool Active_ = false;
    std::uint32_t Interval_ = 0;
    std::uint32_t TimerID = 0;
    std::atomic<std::uint32_t> Busy{0};
    std::unique_ptr<platform::PeriodicEvent> Event;
};
