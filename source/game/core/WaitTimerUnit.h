#pragma once
// Frame pacing: tells the frame step when a timed frame runs, keeps a fixed
// rate of timed frames, lets late frames run undrawn (at most three in a row)
// to catch up, and measures the actual rates. It never blocks for long: a
// call that decides to wait sleeps at most 2 ms, or in the last 3 ms before a
// frame once to the frame's due time, and the caller asks again.

#include "platform/Clock.h"

#include <cstdint>

class TWaitTimer {
public:
    explicit TWaitTimer(const platform::Clock& clock = platform::SystemClock());
    virtual ~TWaitTimer() = default;

    void Reset();
    // Timed frames per second; below 1 no frame is granted at all.
    void SetRate(std::int32_t framesPerSecond);
    void SetFrameSkip(bool frameSkip) { FrameSkip = frameSkip; }

    // True: no frame now, ask again later. False: one timed frame runs now.
    bool Check();
    // Milliseconds the caller may block and still wake before the next frame
    // is due: the last milliseconds are left to Check's own precise sleep, so
    // a wake that comes late costs no frame time. 0 when the caller is to ask
    // Check now.
    std::uint32_t TimeUntilDue() const;
    // Asked after a granted frame: true when it is not to be drawn.
    bool IsSkipping() const { return SkipCounter != 0; }

    // Measured timed and drawn frames per second of the last period.
    std::int32_t FPS() const { return FPS_; }
    std::int32_t DrawFPS() const { return DrawFPS_; }
    std::int32_t Rate() const { return Rate_; }
    std::int32_t Interval() const { return Interval_; }

    // Whether Check may wait at all; a derived timer can switch waiting off.
    virtual bool WaitEnabled() const { return WaitEnabled_; }

private:
    // Milliseconds from `now` until the next frame is due, negative when past;
    // Waits says whether Check holds the frame back that long.
    std::int64_t Remaining(std::uint32_t now) const;
    bool Waits(std::int64_t remaining) const;
    void SkipStep();
    void CountStep(std::uint32_t now);

    const platform::Clock& Clock;
    bool FrameSkip = false;
    std::uint32_t LastTime = 0;
    std::uint32_t MeasureStart = 0;
    std::int32_t FramesInPeriod = 0;
    std::int32_t DrawsInPeriod = 0;
    std::int32_t SkipCounter = 0; // 0..3; 0 means the frame is drawn
    std::int32_t Balance = 0;     // thousandths of a frame; positive: ahead of the clock
    std::int32_t Rate_ = 0;
    std::int32_t FPS_ = 0;
    std::int32_t DrawFPS_ = 0;
    std::int32_t Interval_ = 0;        // whole milliseconds of one frame
    std::int32_t MeasurePeriod = 1000; // milliseconds
    bool WaitEnabled_ = true;
};
