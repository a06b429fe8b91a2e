// The line of cells of a stroke against plain geometry, and the stroke's
// rule of each cell once.

#include "game/states/StrokeUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <utility>

namespace {

// How much of the segment between the centres of two pixels lies in a
// cell's square (closed), as a share of the segment: -1 when it misses,
// 0 when it only touches. Liang-Barsky clipping in doubles.
double ShareInCell(TPixelPos a, TPixelPos b, TCellPos cell) {
    const double ax = a.X + 0.5, ay = a.Y + 0.5, dx = b.X - a.X, dy = b.Y - a.Y;
    double enter = 0, leave = 1;
    const auto clip = [&](double start, double delta, double low, double high) {
        if (delta == 0)
            return start >= low && start <= high;
        double t1 = (low - start) / delta, t2 = (high - start) / delta;
        if (t1 > t2)
            std::swap(t1, t2);
        enter = std::max(enter, t1);
        leave = std::min(leave, t2);
        return enter <= leave + 1e-12;
    };
    const double left = cell.Column * CellSize, top = cell.Row * CellSize;
    if (!clip(ax, dx, left, left + CellSize) || !clip(ay, dy, top, top + CellSize))
        return -1;
    return leave - enter;
}

std::uint32_t Seed = 2024;
std::int32_t RandomBelow(std::int32_t n) {
    Seed = Seed * 1664525u + 1013904223u;
    return static_cast<std::int32_t>((std::uint64_t{Seed} * static_cast<std::uint32_t>(n)) >> 32);
}

std::vector<TCellPos> Cells(const TCellLine& line) {
    return {line.Cells.begin(), line.Cells.begin() + line.Count};
}

} // namespace

TEST(CellsOnLine, AreTheCellsTheSegmentCrossesEachBesideTheOneBefore) {
    for (int i = 0; i < 20000; ++i) {
        // Short and long segments, many of them along a row, a column or a diagonal.
        const TPixelPos a{RandomBelow(MapColumns * CellSize), RandomBelow(MapRows * CellSize)};
        TPixelPos b{RandomBelow(MapColumns * CellSize), RandomBelow(MapRows * CellSize)};
        if (i % 4 == 1)
            b.Y = a.Y;
        if (i % 4 == 2) {
            const std::int32_t d =
                std::min({RandomBelow(200), MapColumns * CellSize - 1 - a.X, MapRows * CellSize - 1 - a.Y});
            b = {a.X + d, a.Y + d};
        }
        const std::vector<TCellPos> line = Cells(CellsOnLine(a, b));
        SCOPED_TRACE(testing::Message()
                     << "(" << a.X << ", " << a.Y << ") to (" << b.X << ", " << b.Y << ")");
        ASSERT_EQ(line.front(), (TCellPos{a.X / CellSize, a.Y / CellSize}));
        ASSERT_EQ(line.back(), (TCellPos{b.X / CellSize, b.Y / CellSize}));
        const std::int32_t steps =
            std::abs(b.X / CellSize - a.X / CellSize) + std::abs(b.Y / CellSize - a.Y / CellSize);
        ASSERT_EQ(static_cast<std::int32_t>(line.size()), steps + 1) << "one cell per edge crossed";
        std::set<std::pair<int, int>> onLine;
        for (std::size_t k = 0; k < line.size(); ++k) {
            onLine.insert({line[k].Column, line[k].Row});
            ASSERT_GE(ShareInCell(a, b, line[k]), 0) << "cell " << k << " is off the segment";
            if (k > 0) {
                ASSERT_EQ(std::abs(line[k].Column - line[k - 1].Column) +
                              std::abs(line[k].Row - line[k - 1].Row),
                          1)
                    << "cell " << k << " shares an edge with the one before";
            }
        }
        for (int column = std::min(a.X, b.X) / CellSize; column <= std::max(a.X, b.X) / CellSize; ++column)
            for (int row = std::min(a.Y, b.Y) / CellSize; row <= std::max(a.Y, b.Y) / CellSize; ++row)
                if (ShareInCell(a, b, {column, row}) > 1e-9) {
                    ASSERT_TRUE(onLine.count({column, row}))
                        << "the segment crosses (" << column << ", " << row << ")";
                }
    }
}

TEST(CellsOnLine, ThroughACornerTheCellBesideComesFirst) {
    // From the centre of pixel (15, 15) to that of (16, 16): exactly through the corner of four cells.
    EXPECT_EQ(Cells(CellsOnLine({15, 15}, {16, 16})), (std::vector<TCellPos>{{0, 0}, {1, 0}, {1, 1}}));
    EXPECT_EQ(Cells(CellsOnLine({16, 16}, {15, 15})), (std::vector<TCellPos>{{1, 1}, {0, 1}, {0, 0}}));
    EXPECT_EQ(Cells(CellsOnLine({5, 5}, {5, 5})), (std::vector<TCellPos>{{0, 0}}));
}

TEST(Stroke, VisitsEachCellOnceAndDrawsNoLineAcrossABreak) {
    TStroke stroke(TCellPos{0, 0});
    EXPECT_EQ(stroke.MoveTo(5, 5).Count, 0) << "the cell it was made with counts as visited";
    stroke.Begin();
    EXPECT_EQ(Cells(stroke.MoveTo(8, 8)), (std::vector<TCellPos>{{0, 0}}));
    EXPECT_EQ(Cells(stroke.MoveTo(3 * CellSize + 8, 8)), (std::vector<TCellPos>{{1, 0}, {2, 0}, {3, 0}}));
    EXPECT_EQ(stroke.MoveTo(8, 8).Count, 0) << "back along the line: every cell visited";
    EXPECT_EQ(Cells(stroke.MoveTo(8, CellSize + 8)), (std::vector<TCellPos>{{0, 1}}));
    stroke.Break();
    EXPECT_EQ(Cells(stroke.MoveTo(10 * CellSize + 8, CellSize + 8)), (std::vector<TCellPos>{{10, 1}}))
        << "after a break, the position alone";
    EXPECT_EQ(stroke.MoveTo(FieldWidth + 2 * CellSize, 8).Count, 0) << "off the map: nothing";
    EXPECT_EQ(Cells(stroke.MoveTo(12 * CellSize + 8, CellSize + 8)), (std::vector<TCellPos>{{12, 1}}))
        << "and a break";
    stroke.Break();
    EXPECT_EQ(Cells(stroke.MoveTo(-5, 12 * CellSize + 8)), (std::vector<TCellPos>{{0, 12}}))
        << "-5 lies in column 0: the division truncates toward zero";
    EXPECT_TRUE(stroke.Visited({12, 1}));
    stroke.Begin();
    EXPECT_FALSE(stroke.Visited({12, 1}));
}
