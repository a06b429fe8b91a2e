#pragma once
// A stroke of the left button over the map. Pointer messages come several
// cells apart when the mouse moves fast, so a stroke edits every cell on the
// straight line between two successive positions, each cell once per stroke:
// a quick stroke draws a solid wall.

#include "game/water/VaporelBoxUnit.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

struct TCellPos {
    std::int32_t Column = 0;
    std::int32_t Row = 0;
    friend bool operator==(const TCellPos&, const TCellPos&) = default;
};

// A client position, in pixels.
struct TPixelPos {
    std::int32_t X = 0;
    std::int32_t Y = 0;
};

// The longest line of cells: corner to corner of the map, one step at a time.
inline constexpr std::int32_t MaxLineCells = MapColumns + MapRows - 1;

struct TCellLine {
    std::array<TCellPos, MaxLineCells> Cells{};
    std::int32_t Count = 0;
};

// The cells the straight segment between the centres of two pixels passes
// through, from the first pixel's cell to the second's. Each cell shares an
// edge with the one before it, so no water slips between two of them: where
// the segment passes exactly through a corner, the cell beside comes before
// the cell above or below. Both pixels lie within the map's pixels.
TCellLine CellsOnLine(TPixelPos from, TPixelPos to);

// The cell that holds a client position, by division truncating toward zero
// (so -5 lies in column 0); none off the map.
std::optional<TCellPos> MapCellAt(std::int32_t x, std::int32_t y);

class TStroke {
public:
    // A stroke that has visited `visited` already.
    explicit TStroke(TCellPos visited);

    // A new press: no cell visited, no position yet.
    void Begin();
    // The pointer went where the window does not see it: the next position
    // goes on with the stroke without a line to it.
    void Break() { Last.reset(); }
    // The pointer at (x, y): the cells on the line from the last position
    // that this stroke has not visited yet, now marked as visited. A position
    // off the map is no position of the stroke: nothing, and a break.
    TCellLine MoveTo(std::int32_t x, std::int32_t y);

    bool Visited(TCellPos cell) const { return VisitedCells[Index(cell)]; }

private:
    static std::size_t Index(TCellPos cell) {
        return static_cast<std::size_t>(cell.Column * MapRows + cell.Row);
    }

    std::bitset<MapColumns * MapRows> VisitedCells;
    std::optional<TPixelPos> Last;
};
