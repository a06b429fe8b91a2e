#include "lib/Z5TimerUnit.h"

#include "lib/Z5LogUnit.h"
#include "platform/PeriodicTimer.h"

#include <exception>
#include <system_error>

namespace {

constexpr std::uint32_t DefaultIntervalMs = 1000;
constexpr std::uint32_t BusyRetryMs = 100;

// Each started event gets a new identifier, so a tick can tell whether it
// belongs to the event that is current.
std::atomic<std::uint32_t> LastEventId{0};

} // namespace

// The handler that runs on this thread. A timer stopped from its own handler
// ends its event once the handler returns: the handler's thread never touches
// the event itself, which belongs to the owner.
class TZ5Timer::HandlerScope {
public:
    explicit HandlerScope(const TZ5Timer& timer) : Timer(timer) { Current = this; }
    ~HandlerScope() { Current = nullptr; }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

    static HandlerScope* Of(const TZ5Timer& timer) {
        return Current && &Current->Timer == &timer ? Current : nullptr;
    }

    bool EndRequested = false;

private:
    const TZ5Timer& Timer;
    static thread_local HandlerScope* Current;
};

thread_local TZ5Timer::HandlerScope* TZ5Timer::HandlerScope::Current = nullptr;

TZ5Timer::TZ5Timer(const platform::Clock& clock) : Clock(clock) {
    SetInterval(DefaultIntervalMs);
}

TZ5Timer::~TZ5Timer() {
    Stop();
}

bool TZ5Timer::Start() {
    // The handler's thread cannot wait for itself to end.
    if (HandlerScope::Of(*this))
        return false;
    Stop();
    Event.reset();
    if (!OnTimer || Interval_ == 0)
        return false;
    Busy.exchange(0);
    TimerID = ++LastEventId;
    const std::uint32_t eventId = TimerID;
    Active_ = true; // before the first tick, whose handler may stop the timer
    try {
        Event = std::make_unique<platform::PeriodicEvent>(
            Interval_, [this, eventId] { return TimerProc(eventId); }, Clock);
    } catch (const std::system_error&) { // no thread for the event
        Active_ = false;
        return false;
    }
    return true;
}

bool TZ5Timer::Stop() {
    if (HandlerScope* handler = HandlerScope::Of(*this)) {
        handler->EndRequested = true;
        return Active_.exchange(false);
    }
    if (!Active_) {
        // A handler that stopped its own timer may still run: wait for it.
        Event.reset();
        return false;
    }
    Event->End();
    // Waits for a running handler and keeps a tick that has already come from
    // starting one until the next Start.
    while (Busy.exchange(1) != 0)
        Clock.Sleep(BusyRetryMs);
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

bool TZ5Timer::TimerProc(std::uint32_t eventId) {
    if (eventId != TimerID)
        return true;
    if (Busy.exchange(1) != 0)
        return true; // the handler still runs, or the timer is stopped: this tick is dropped
    // The handler is looked at only with the flag taken: a tick that comes
    // after Stop never reads it while the owner sets another before Start.
    const bool goOn = !OnTimer || RunHandler();
    Busy.exchange(0);
    return goOn;
}

bool TZ5Timer::RunHandler() {
    HandlerScope scope(*this);
    try {
        OnTimer(*this);
    } catch (const std::exception& error) {
        StopAfterError(error.what());
    } catch (...) {
        StopAfterError("unknown error");
    }
    return !scope.EndRequested;
}

void TZ5Timer::StopAfterError(const std::string& message) {
    WriteError("The timer's handler failed, the timer stops: " + message);
    Stop();
}
