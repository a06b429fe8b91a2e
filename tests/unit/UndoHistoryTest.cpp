// The undo history against a plain list of strokes.

#include "game/states/UndoHistoryUnit.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

using Change = std::pair<int, int>; // cell index, type before
using StrokeModel = std::vector<Change>;

std::vector<Change> Taken(TUndoHistory& history) {
    std::vector<Change> changes;
    for (const TCellChange& change : history.TakeLastStroke())
        changes.emplace_back(change.Cell().Column * MapRows + change.Cell().Row, change.Before());
    return changes;
}

std::uint32_t Seed = 77;
int RandomBelow(int n) {
    Seed = Seed * 1664525u + 1013904223u;
    return static_cast<int>((std::uint64_t{Seed} * static_cast<std::uint32_t>(n)) >> 32);
}

} // namespace

TEST(CellChange, KeepsEveryCellAndTypeIn16Bits) {
    static_assert(sizeof(TCellChange) == 2);
    for (int column = 0; column < MapColumns; ++column)
        for (int row = 0; row < MapRows; ++row)
            for (int type = 0; type < CellTypeCount; ++type) {
                const TCellChange change({column, row}, static_cast<TCellType>(type));
                ASSERT_EQ(change.Cell(), (TCellPos{column, row}));
                ASSERT_EQ(change.Before(), type);
            }
}

TEST(UndoHistory, GivesBackTheLastHundredStrokesAsTheyWereRecorded) {
    TUndoHistory history;
    std::deque<StrokeModel> model;
    bool open = false;
    for (int step = 0; step < 4000; ++step) {
        const int action = RandomBelow(100);
        if (action < 30) {
            history.BeginStroke();
            open = false;
        } else if (action < 88) {
            // A stroke's cells differ from each other; a few strokes grow long.
            const int cell = open ? (model.back().back().first + 1 + RandomBelow(3)) % (MapColumns * MapRows)
                                  : RandomBelow(MapColumns * MapRows);
            const int type = RandomBelow(CellTypeCount);
            const bool first = history.Record({cell / MapRows, cell % MapRows}, static_cast<TCellType>(type));
            ASSERT_EQ(first, !open) << "step " << step;
            if (!open) {
                model.emplace_back();
                if (model.size() > TUndoHistory::MaxStrokes)
                    model.pop_front();
                open = true;
            }
            model.back().emplace_back(cell, type);
        } else if (action < 99) {
            const std::vector<Change> expected = model.empty() ? std::vector<Change>{} : model.back();
            if (!model.empty())
                model.pop_back();
            ASSERT_EQ(Taken(history), expected) << "step " << step;
            open = false;
        } else {
            history.Clear();
            model.clear();
            open = false;
        }
        ASSERT_EQ(history.StrokeCount(), static_cast<int>(model.size())) << "step " << step;
    }
}

TEST(UndoHistory, TheHundredAndFirstStrokePushesOutTheOldest) {
    TUndoHistory history;
    for (int stroke = 0; stroke <= TUndoHistory::MaxStrokes; ++stroke) {
        history.BeginStroke();
        history.Record({stroke % MapColumns, stroke / MapColumns}, ctBlock);
    }
    EXPECT_EQ(history.StrokeCount(), TUndoHistory::MaxStrokes);
    for (int stroke = TUndoHistory::MaxStrokes; stroke >= 1; --stroke)
        ASSERT_EQ(Taken(history),
                  (std::vector<Change>{{(stroke % MapColumns) * MapRows + stroke / MapColumns, ctBlock}}));
    EXPECT_TRUE(Taken(history).empty()) << "stroke 0 is gone";
}

TEST(UndoHistory, AStrokeMayChangeEveryCellOfTheMap) {
    TUndoHistory history;
    for (int stroke = 0; stroke < TUndoHistory::MaxStrokes; ++stroke) {
        history.BeginStroke();
        for (int cell = 0; cell < MapColumns * MapRows; ++cell)
            history.Record({cell / MapRows, cell % MapRows},
                           static_cast<TCellType>((cell + stroke) % CellTypeCount));
    }
    for (int stroke = TUndoHistory::MaxStrokes - 1; stroke >= 0; --stroke) {
        const auto changes = history.TakeLastStroke();
        ASSERT_EQ(changes.size(), static_cast<std::size_t>(MapColumns * MapRows));
        EXPECT_EQ(changes.back().Before(), (MapColumns * MapRows - 1 + stroke) % CellTypeCount);
    }
}
