#pragma once
// A periodic event: a thread of its own calls a function every `interval`
// milliseconds until the event is ended or the function answers false. Ticks
// keep to the grid of the first one; ticks that come while the function still
// runs are dropped, not queued (a 35 ms call every 10 ms runs at 10, 50, 90 ms).

#include "platform/Clock.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

class PeriodicEvent {
public:
    // The interval must be at least 1 ms (std::invalid_argument otherwise).
    PeriodicEvent(std::uint32_t intervalMs, std::function<bool()> tick, const Clock& clock = SystemClock());
    // Ends the event and waits for its thread, so nothing the function uses
    // may go before the event does. Never from within the function itself.
    ~PeriodicEvent();
    PeriodicEvent(const PeriodicEvent&) = delete;
    PeriodicEvent& operator=(const PeriodicEvent&) = delete;

    // No further tick comes; one that has already come may still be running or
    // about to call the function. Any thread.
    void End();

private:
    void Run();

    const std::uint32_t Interval;
    const std::function<bool()> Tick;
    const Clock& Clock_;
    std::mutex EndMutex;
    std::condition_variable EndSignal;
    bool EndRequested = false;
    std::thread Thread; // last: starts once everything above is ready
};

} // namespace platform
