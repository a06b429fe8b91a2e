#include "lib/Z5TimerUnit.h"

#include "platform/Clock.h"
#include "platform/PeriodicTimer.h"

namespace {

constexpr std::uint32_t DefaultIntervalMs = 1000;
constexpr std::uint32_t BusyRetryMs = 100;

// Each started event gets a new identifier, so a tick can tell whether it
// belongs to the event that is current.
std::atomic<std::uint32_t> LastEventId{0};

} // namespace

TZ5Timer::TZ5Timer() {
    SetInterval(DefaultIntervalMs);
}

TZ5Timer::~TZ5Timer() {
    Stop();
}

bool TZ5Timer::Start() {
    Stop();
    Active_ = false;
    if (!OnTimer)
        return false;
    Busy.exchange(0);
    TimerID = ++LastEventId;
    const std::uint32_t eventId = TimerID;
    Event = std::make_unique<platform::PeriodicEvent>(Interval_, [this, eventId] { TimerProc(eventId); });
    Active_ = true;
    return true;
}

bool TZ5Timer::Stop() {
    if (!Active_)
        return false;
    Event.reset(); // waits for a running handler
    // Keeps any late tick from starting a handler until the next Start.
    while (Busy.exchange(1) != 0)
        platform::SleepMs(BusyRetryMs);
    Active_ = false;
    return true;
}

void TZ5Timer::SetInterval(std::uint32_t milliseconds) {
    if (milliseconds == Interval_)
        return;
    Interval_ = milliseconds;
    if (Active_) {
        Stop();
        Start();
    }
}

void TZ5Timer::TimerProc(std::uint32_t eventId) {
    if (!OnTimer || eventId != TimerID)
        return;
    if (Busy.exchange(1) != 0)
        return; // the handler still runs: this tick is dropped
    struct BusyReset {
        std::atomic<std::uint32_t>& Flag;
        ~BusyReset() { Flag.exchange(0); }
    } reset{Busy};
    OnTimer(*this);
}
