#include "lib/Z5ProfilerUnit.h"

#include "lib/Z5LogUnit.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace {

__extension__ typedef __int128 Int128;

constexpr std::int64_t MicrosecondsPerSecond = 1'000'000;
constexpr std::size_t ReportNameWidth = 30; // characters the name is padded to
constexpr double MicrosecondsPerMillisecond = 1000.0;
const char* const ReportBegin = "TZ5Profile Log  Begin...";
const char* const ReportEnd = "TZ5Profile Log  End.";

// General format with up to 15 significant digits and no trailing zeros,
// right-aligned in at least 6 characters: every value printed here is a
// multiple of 0.001, so "1.234" comes out as " 1.234" and 0 as "     0".
std::string FormatMilliseconds(double milliseconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%6.15g", milliseconds);
    return text;
}

} // namespace

TZ5Profiler::TZ5Profiler() : TZ5Profiler(platform::PerformanceCounter, platform::PerformanceFrequency) {}

TZ5Profiler::TZ5Profiler(TCounter counter, std::int64_t frequency)
    : Frequency_(frequency), Enabled_(frequency > 0), Items(0), Counter(counter) {}

TZ5Profiler::~TZ5Profiler() {
    Items.FreeObjects<TZ5ProfileItem>();
}

std::int32_t TZ5Profiler::AddItem(const std::string& name) {
    if (!Enabled_)
        return -1;
    auto* item = new TZ5ProfileItem{};
    item->Name = name;
    return Items.Add(item);
}

TZ5ProfileItem* TZ5Profiler::ItemAt(std::int32_t index) const {
    if (!Enabled_)
        return nullptr;
    return static_cast<TZ5ProfileItem*>(Items.GetItem(index));
}

const TZ5ProfileItem* TZ5Profiler::Item(std::int32_t index) const {
    return ItemAt(index);
}

void TZ5Profiler::Start(std::int32_t index) {
    if (TZ5ProfileItem* item = ItemAt(index)) {
        item->PausedTicks = 0;
        item->Accumulating = false;
        item->StartTicks = Counter();
    }
}

void TZ5Profiler::Stop(std::int32_t index) {
    if (TZ5ProfileItem* item = ItemAt(index)) {
        const std::int64_t now = Counter();
        const std::int64_t duration = item->Accumulating ? item->PausedTicks : now - item->StartTicks;
        if (duration > item->MaxTicks)
            item->MaxTicks = duration;
        item->TotalTicks += duration;
        item->Count += 1;
    }
}

void TZ5Profiler::Reset(std::int32_t index) {
    if (TZ5ProfileItem* item = ItemAt(index)) {
        item->Count = 0;
        item->StartTicks = 0;
        item->TotalTicks = 0;
        item->MaxTicks = 0;
        item->PausedTicks = 0;
        item->Accumulating = false;
    }
}

void TZ5Profiler::Resume(std::int32_t index) {
    if (TZ5ProfileItem* item = ItemAt(index)) {
        item->Accumulating = true;
        item->StartTicks = Counter();
    }
}

void TZ5Profiler::Pause(std::int32_t index) {
    if (TZ5ProfileItem* item = ItemAt(index))
        item->PausedTicks += Counter() - item->StartTicks;
}

void TZ5Profiler::ResetAll() {
    for (std::int32_t i = 0; i < Items.Count(); ++i)
        Reset(i);
}

std::string TZ5Profiler::ReportLine(const TZ5ProfileItem& item) const {
    // "  %-30s: ": a longer name is printed whole, the colon right after it.
    std::string line = "  " + item.Name;
    line.resize(std::max<std::size_t>(line.size(), 2 + ReportNameWidth), ' ');
    line += ": ";
    if (item.Count == 0)
        return line + "計測値なし";
    // Truncating divisions in the order 1000000 * Total div Count div Frequency;
    // the 128-bit product keeps hours of measured time from overflowing.
    const Int128 averageUs = MicrosecondsPerSecond * Int128{item.TotalTicks} / item.Count / Frequency_;
    const Int128 maxUs = MicrosecondsPerSecond * Int128{item.MaxTicks} / Frequency_;
    return line +
           "AVERAGE = " + FormatMilliseconds(static_cast<double>(averageUs) / MicrosecondsPerMillisecond) +
           "(msec); MAX = " + FormatMilliseconds(static_cast<double>(maxUs) / MicrosecondsPerMillisecond) +
           "(msec)";
}

std::vector<std::string> TZ5Profiler::ReportLines() const {
    std::vector<std::string> lines;
    for (std::int32_t i = 0; i < Items.Count(); ++i)
        lines.push_back(ReportLine(*static_cast<const TZ5ProfileItem*>(Items.GetItem(i))));
    return lines;
}

std::vector<std::string> TZ5Profiler::FramedReport() const {
    std::vector<std::string> lines{ReportBegin};
    for (std::string& line : ReportLines())
        lines.push_back(std::move(line));
    lines.push_back(ReportEnd);
    return lines;
}

void TZ5Profiler::WriteLog() const {
    if (!Enabled_)
        return;
    for (const std::string& line : FramedReport())
        Log().WriteLine(line);
}

void TZ5Profiler::WriteStdOut() const {
    if (!Enabled_)
        return;
    for (const std::string& line : FramedReport())
        std::cout << line << '\n';
}
