#pragma once
// A periodic timer that calls its handler on a thread of its own. The handler
// never overlaps itself: a tick that comes while it still runs is dropped.
// Stop returns only after a running handler has finished, and no handler
// starts after it until the next Start.
//
// Start and SetInterval belong to the owner's thread. The handler may call
// Stop (and Active) on its own timer: the timer stops once the handler
// returns. A handler that throws is stopped the same way, and the error is
// logged: the exception never leaves the timer's thread.

#include "platform/Clock.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {
class PeriodicEvent;
}

class TZ5Timer {
public:
    using THandler = std::function<void(TZ5Timer& sender)>;

    explicit TZ5Timer(const platform::Clock& clock = platform::SystemClock());
    ~TZ5Timer(); // stops first
    TZ5Timer(const TZ5Timer&) = delete;
    TZ5Timer& operator=(const TZ5Timer&) = delete;

    // Set by the owner before Start; called on the timer's thread.
    THandler OnTimer;

    // True when the periodic event runs: false without a handler, with an
    // interval of 0, and when called from the handler.
    bool Start();
    // True when an event was running and is now stopped.
    bool Stop();
    // Milliseconds between ticks; a running timer restarts with the new period.
    void SetInterval(std::uint32_t milliseconds);

    bool Active() const { return Active_; } // any thread
    std::uint32_t Interval() const { return Interval_; }

private:
    class HandlerScope;

    // Answers false to end the event: the handler has stopped its timer.
    bool TimerProc(std::uint32_t eventId);
    bool RunHandler();
    void StopAfterError(const std::string& message);

    const platform::Clock& Clock;
    std::atomic<bool> Active_{false};
    std::uint32_t Interval_ = 0;
    std::uint32_t TimerID = 0;
    std::atomic<std::uint32_t> Busy{0}; // 1 while the handler runs, and from Stop to the next Start
    // Ended by Stop, released (its thread joined) by the next Start or Stop, or
    // the destruction: only ever on the owner's thread.
    std::unique_ptr<platform::PeriodicEvent> Event;
};
