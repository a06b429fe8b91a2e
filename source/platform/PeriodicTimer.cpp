#include "platform/PeriodicTimer.h"

#include <algorithm>
#include <stdexcept>

namespace platform {

namespace {

std::uint32_t CheckedInterval(std::uint32_t intervalMs) {
    if (intervalMs == 0)
        throw std::invalid_argument("A periodic event needs an interval of at least 1 ms");
    return intervalMs;
}

// When the tick after one that was due at `due` comes, the call having ended
// at `now`: the first point of the grid not before `now`, at least one
// interval on.
std::uint32_t NextTickDue(std::uint32_t due, std::uint32_t now, std::uint32_t intervalMs) {
    const auto late = static_cast<std::uint64_t>(std::max(static_cast<std::int32_t>(now - due), 0)); // wraps
    const std::uint64_t intervals = std::max<std::uint64_t>((late + intervalMs - 1) / intervalMs, 1);
    return static_cast<std::uint32_t>(due + intervals * intervalMs);
}

} // namespace

PeriodicEvent::PeriodicEvent(std::uint32_t intervalMs, std::function<bool()> tick, const Clock& clock)
    : Interval(CheckedInterval(intervalMs)), Tick(std::move(tick)), Clock_(clock), Thread([this] { Run(); }) {
}

PeriodicEvent::~PeriodicEvent() {
    End();
    Thread.join();
}

void PeriodicEvent::End() {
    {
        std::lock_guard lock(EndMutex);
        EndRequested = true;
    }
    EndSignal.notify_all();
}

void PeriodicEvent::Run() {
    const auto ended = [this] { return EndRequested; };
    std::uint32_t due = Clock_.Now() + Interval;
    std::unique_lock lock(EndMutex);
    while (!Clock_.WaitUntil(due, EndSignal, lock, ended)) {
        lock.unlock();
        const bool goOn = Tick();
        lock.lock();
        EndRequested = EndRequested || !goOn;
        due = NextTickDue(due, Clock_.Now(), Interval);
    }
}

} // namespace platform
