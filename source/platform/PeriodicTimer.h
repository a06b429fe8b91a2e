#pragma once
// A periodic event: a thread of its own calls a function every `interval`
// milliseconds until the event is destroyed. Destruction waits for a call that
// is running, so nothing the function uses may go before the event does.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

class PeriodicEvent {
public:
    PeriodicEvent(std::uint32_t intervalMs, std::function<void()> tick);
    ~PeriodicEvent();
    PeriodicEvent(const PeriodicEvent&) = delete;
    PeriodicEvent& operator=(const PeriodicEvent&) = delete;

private:
    void Run();

    const std::chrono::milliseconds Interval;
    const std::function<void()> Tick;
    std::mutex StopMutex;
    std::condition_variable StopSignal;
    bool StopRequested = false;
    std::thread Thread; // last: starts once everything above is ready
};

} // namespace platform
