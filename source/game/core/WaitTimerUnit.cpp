#include "game/core/WaitTimerUnit.h"

#include "lib/Z5UtilsUnit.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int32_t CreditPerFrame = 1000; // Balance units of one frame
constexpr std::int32_t BacklogLimit = -4000;  // more than four frames behind: drop the backlog
constexpr std::int32_t SkipCycle = 4;         // every fourth late frame is drawn
constexpr std::int32_t FinalWaitMs = 3;       // waits this short are one sleep to the frame's due time
constexpr std::int32_t LongestWaitMs = 5;     // longer ones sleep at most LongestWaitMs - FinalWaitMs

// Balance − rate × elapsed, kept within 32 bits: ten hours without a frame at
// 60 frames a second would go beyond them. Every result below BacklogLimit
// ends the same way (the backlog is dropped), so the floor changes no frame.
std::int32_t SpendCredit(std::int32_t balance, std::int32_t rate, std::int32_t elapsedMs) {
    const std::int64_t spent = std::int64_t{balance} - std::int64_t{rate} * elapsedMs;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(spent, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

} // namespace

TWaitTimer::TWaitTimer(const platform::Clock& clock) : Clock(clock) {
    Reset();
}

void TWaitTimer::Reset() {
    LastTime = MeasureStart = Clock.Now();
    Balance = SkipCounter = FramesInPeriod = DrawsInPeriod = 0;
}

void TWaitTimer::SetRate(std::int32_t framesPerSecond) {
    if (framesPerSecond >= 1) {
        Rate_ = framesPerSecond;
        Interval_ = 1000 / framesPerSecond;
    } else {
        Rate_ = 0;
    }
    LastTime = MeasureStart = Clock.Now();
    Balance = 0;
}

bool TWaitTimer::Check() {
    Clock.Sleep(0);
    if (Rate_ <= 0)
        return true;

    const std::uint32_t now = Clock.Now();
    if (const std::int64_t remaining = Remaining(now); Waits(remaining)) {
        if (remaining > FinalWaitMs)
            Clock.Sleep(
                static_cast<std::uint32_t>(std::min<std::int64_t>(remaining, LongestWaitMs) - FinalWaitMs));
        else
            Clock.SleepUntil(now + static_cast<std::uint32_t>(remaining)); // the clock wraps
        return true;
    }

    Balance = SpendCredit(Balance, Rate_, static_cast<std::int32_t>(now - LastTime));
    LastTime = now;
    SkipStep();
    CountStep(now);
    return false;
}

std::uint32_t TWaitTimer::TimeUntilDue() const {
    if (Rate_ <= 0)
        return 0;
    const std::int64_t remaining = Remaining(Clock.Now());
    // A system wait can wake a few milliseconds late: the caller's wait ends
    // where Check's own precise sleep begins.
    if (!Waits(remaining) || remaining <= FinalWaitMs)
        return 0;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(remaining, Interval_) - FinalWaitMs);
}

// The next frame is due when the credit, in milliseconds and never more than
// one frame time, has passed since the last one.
std::int64_t TWaitTimer::Remaining(std::uint32_t now) const {
    const std::int32_t threshold = std::min(Balance / Rate_, Interval_);
    const auto elapsed = static_cast<std::int32_t>(now - LastTime); // the clock wraps
    return std::int64_t{threshold} - elapsed;                       // a 25-day stall wraps elapsed below zero
}

bool TWaitTimer::Waits(std::int64_t remaining) const {
    return WaitEnabled() && SkipCounter <= 0 && remaining > 0;
}

void TWaitTimer::SkipStep() {
    if (FrameSkip) {
        if (Balance < 0) {
            if (Balance < BacklogLimit)
                Balance = 0;
            SkipCounter = (SkipCounter + 1) % SkipCycle;
        } else {
            SkipCounter = 0;
        }
    } else {
        Balance = std::max(Balance, 0);
        SkipCounter = 0;
    }
    Balance += CreditPerFrame;
}

void TWaitTimer::CountStep(std::uint32_t now) {
    ++FramesInPeriod;
    if (SkipCounter == 0)
        ++DrawsInPeriod;
    const auto period = static_cast<std::int32_t>(now - MeasureStart);
    if (period <= MeasurePeriod)
        return;
    const double perSecond = 1000.0 / period;
    FPS_ = static_cast<std::int32_t>(RoundToInt(FramesInPeriod * perSecond));
    DrawFPS_ = static_cast<std::int32_t>(RoundToInt(DrawsInPeriod * perSecond));
    FramesInPeriod = DrawsInPeriod = 0;
    MeasureStart = now;
}
