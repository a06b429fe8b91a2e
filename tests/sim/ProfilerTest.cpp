#include "game/core/GameProfilerUnit.h"
#include "lib/Z5LogUnit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

// A counter in microseconds that the tests move by hand.
std::int64_t FakeNow = 0;
std::int64_t FakeCounter() {
    return FakeNow;
}
constexpr std::int64_t FakeFrequency = 1'000'000;

void Measure(TGameProfiler& profiler, TProfileID id, std::int64_t microseconds) {
    profiler.Start(id);
    FakeNow += microseconds;
    profiler.Stop(id);
}

std::string ReadFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

TEST(Profiler, ReportsAverageAndMaximumInMilliseconds) {
    TGameProfiler profiler(FakeCounter, FakeFrequency);
    Measure(profiler, pidBoxExecute, 1000);
    Measure(profiler, pidBoxExecute, 2000);
    Measure(profiler, pidBoxExecute, 6000);
    Measure(profiler, pidDraw, 1234);
    Measure(profiler, pidLoading, 0);
    Measure(profiler, pidLoadMap, 123456789012);
    const auto lines = profiler.Engine().ReportLines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(ProfileIDCount));
    EXPECT_EQ(lines[pidBoxExecute],
              "  pidBoxExecute                 : AVERAGE =      3(msec); MAX =      6(msec)");
    EXPECT_EQ(lines[pidDraw], "  pidDraw                       : AVERAGE =  1.234(msec); MAX =  1.234(msec)");
    EXPECT_EQ(lines[pidLoading],
              "  pidLoading                    : AVERAGE =      0(msec); MAX =      0(msec)");
    EXPECT_EQ(lines[pidLoadMap],
              "  pidLoadMap                    : AVERAGE = 123456789.012(msec); MAX = 123456789.012(msec)")
        << "up to 15 significant digits, not the C library's six";
    EXPECT_EQ(lines[pidTest], "  pidTest                       : 計測値なし");
}

TEST(Profiler, NestedItemsRestartsAndPausesMeasureIndependently) {
    TGameProfiler profiler(FakeCounter, FakeFrequency);
    profiler.Start(pidBoxExecute);
    profiler.Start(pidCheckCollision);
    FakeNow += 1000;
    Measure(profiler, pidMakeCollisionMap, 2000);
    profiler.Stop(pidCheckCollision);
    profiler.Stop(pidBoxExecute);
    const TZ5Profiler& engine = profiler.Engine();
    EXPECT_EQ(engine.Item(pidBoxExecute)->TotalTicks, 3000);
    EXPECT_EQ(engine.Item(pidCheckCollision)->TotalTicks, 3000);
    EXPECT_EQ(engine.Item(pidMakeCollisionMap)->TotalTicks, 2000);

    profiler.Start(pidTest);
    FakeNow += 5000;
    profiler.Start(pidTest); // measures from the second start
    FakeNow += 1000;
    profiler.Stop(pidTest);
    EXPECT_EQ(engine.Item(pidTest)->TotalTicks, 1000);

    TZ5Profiler paused(FakeCounter, FakeFrequency);
    const std::int32_t item = paused.AddItem("paused");
    paused.Start(item);
    for (int i = 0; i < 3; ++i) {
        paused.Resume(item);
        FakeNow += 100;
        paused.Pause(item);
        FakeNow += 10'000; // not counted
    }
    paused.Stop(item);
    EXPECT_EQ(paused.Item(item)->TotalTicks, 300);
    EXPECT_EQ(paused.Item(item)->Count, 1);
    paused.ResetAll();
    EXPECT_EQ(paused.Item(item)->TotalTicks, 0);
}

TEST(Profiler, LongNamesAndBadIndicesAndNoCounter) {
    TZ5Profiler profiler(FakeCounter, FakeFrequency);
    profiler.AddItem("a_name_that_is_longer_than_thirty_characters");
    profiler.Start(5);
    profiler.Stop(-1);
    EXPECT_EQ(profiler.ReportLines().at(0), "  a_name_that_is_longer_than_thirty_characters: 計測値なし");

    TZ5Profiler disabled(FakeCounter, 0);
    EXPECT_FALSE(disabled.Enabled());
    EXPECT_EQ(disabled.AddItem("x"), -1);
    EXPECT_TRUE(disabled.ReportLines().empty());
}

TEST(Profiler, WritesTheFramedReportIntoTheLog) {
    TGameProfiler profiler(FakeCounter, FakeFrequency);
    Measure(profiler, pidDraw, 2500);
    profiler.WriteLog();
    const std::string log = ReadFile(Log().FileName());
    const auto begin = log.rfind("TZ5Profile Log  Begin...");
    ASSERT_NE(begin, std::string::npos);
    const std::string report = log.substr(begin);
    EXPECT_NE(report.find("pidDraw                       : AVERAGE =    2.5(msec); MAX =    2.5(msec)\r\n"),
              std::string::npos);
    EXPECT_NE(report.find("pidTest                       : 計測値なし"), std::string::npos);
    EXPECT_NE(report.find("TZ5Profile Log  End.\r\n"), std::string::npos);
}
