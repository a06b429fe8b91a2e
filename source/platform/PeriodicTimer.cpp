#include "platform/PeriodicTimer.h"

#include <algorithm>

namespace platform {

PeriodicEvent::PeriodicEvent(std::uint32_t intervalMs, std::function<void()> tick)
    : Interval(std::max<std::uint32_t>(intervalMs, 1)), Tick(std::move(tick)), Thread([this] { Run(); }) {}

PeriodicEvent::~PeriodicEvent() {
    {
        std::lock_guard lock(StopMutex);
        StopRequested = true;
    }
    StopSignal.notify_all();
    Thread.join();
}

void PeriodicEvent::Run() {
    using Clock = std::chrono::steady_clock;
    auto due = Clock::now() + Interval;
    std::unique_lock lock(StopMutex);
    while (!StopSignal.wait_until(lock, due, [this] { return StopRequested; })) {
        lock.unlock();
        Tick();
        lock.lock();
        // Ticks missed while the machine was busy are dropped, not bunched up.
        due = std::max(due + Interval, Clock::now());
    }
}

} // namespace platform
