#pragma once
// A small timing facility: named measuring points, each bracketed by Start and
// Stop (optionally made of Resume/Pause pairs), keeping how often it was
// measured, the total and the longest time. Single-threaded; Start and Stop
// never allocate.

#include "lib/Z5ArrayListUnit.h"

#include <cstdint>
#include <string>
#include <vector>

struct TZ5ProfileItem {
    std::string Name;
    std::int32_t Count = 0;
    std::int64_t StartTicks = 0;
    std::int64_t TotalTicks = 0;
    std::int64_t MaxTicks = 0;
    std::int64_t PausedTicks = 0;
    bool Accumulating = false;
};

class TZ5Profiler {
public:
    // Where the ticks come from; tests hand in their own counter.
    using TCounter = std::int64_t (*)();

    // The platform's performance counter.
    TZ5Profiler();
    // A frequency of 0 means no counter exists: the profiler is disabled.
    TZ5Profiler(TCounter counter, std::int64_t frequency);
    virtual ~TZ5Profiler();
    TZ5Profiler(const TZ5Profiler&) = delete;
    TZ5Profiler& operator=(const TZ5Profiler&) = delete;

    // -1 (and nothing added) when disabled.
    virtual std::int32_t AddItem(const std::string& name);
    // Every index operation ignores a disabled profiler and an index out of range.
    virtual void Start(std::int32_t index);
    virtual void Stop(std::int32_t index);
    virtual void Reset(std::int32_t index);
    virtual void Resume(std::int32_t index);
    virtual void Pause(std::int32_t index);
    virtual void ResetAll();
    // The report framed by a begin and an end line, one log entry per line.
    virtual void WriteLog() const;
    // The same report on standard output.
    virtual void WriteStdOut() const;

    // The report lines of the items, in index order.
    std::vector<std::string> ReportLines() const;
    // Null for an index out of range.
    const TZ5ProfileItem* Item(std::int32_t index) const;

    bool Enabled() const { return Enabled_; }
    std::int64_t Frequency() const { return Frequency_; }

private:
    TZ5ProfileItem* ItemAt(std::int32_t index) const;
    std::string ReportLine(const TZ5ProfileItem& item) const;
    std::vector<std::string> FramedReport() const;

    std::int64_t Frequency_ = 0;
    bool Enabled_ = false;
    TZ5ArrayList Items;
    TCounter Counter;
};
