#include "game/states/StrokeUnit.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

namespace {

// The line is traced in half pixels, where the centre of pixel x lies at
// 2x + 1 and never on a cell's edge (an even number).
constexpr std::int64_t HalfCell = 2 * CellSize;

constexpr std::int64_t Centre(std::int32_t pixel) {
    return 2 * std::int64_t{pixel} + 1;
}

// The distance from `start` to the next cell edge in direction `step`, in
// half pixels.
std::int64_t ToNextEdge(std::int64_t start, std::int32_t cell, std::int32_t step) {
    const std::int64_t edge = (step > 0 ? cell + 1 : cell) * HalfCell;
    return std::abs(edge - start);
}

std::int32_t Sign(std::int64_t value) {
    return (value > 0) - (value < 0);
}

} // namespace

// Walks cell by cell and crosses whichever edge the segment meets first: the
// edge across x is met first when its distance along x, over the whole run
// along x, is smaller than that of the edge across y; compared without a
// division, so exactly.
TCellLine CellsOnLine(TPixelPos from, TPixelPos to) {
    const std::int64_t startX = Centre(from.X), startY = Centre(from.Y);
    const std::int64_t runX = std::abs(Centre(to.X) - startX), runY = std::abs(Centre(to.Y) - startY);
    const std::int32_t stepX = Sign(to.X - from.X), stepY = Sign(to.Y - from.Y);
    TCellPos cell{from.X / CellSize, from.Y / CellSize};
    const TCellPos last{to.X / CellSize, to.Y / CellSize};
    TCellLine line;
    line.Cells[line.Count++] = cell;
    while (cell != last) {
        const bool acrossX = cell.Row == last.Row ||
                             (cell.Column != last.Column && ToNextEdge(startX, cell.Column, stepX) * runY <=
                                                                ToNextEdge(startY, cell.Row, stepY) * runX);
        if (acrossX)
            cell.Column += stepX;
        else
            cell.Row += stepY;
        assert(line.Count < MaxLineCells);
        line.Cells[line.Count++] = cell;
    }
    return line;
}

std::optional<TCellPos> MapCellAt(std::int32_t x, std::int32_t y) {
    const TCellPos cell{x / CellSize, y / CellSize};
    if (cell.Column < 0 || cell.Column >= MapColumns || cell.Row < 0 || cell.Row >= MapRows)
        return std::nullopt;
    return cell;
}

TStroke::TStroke(TCellPos visited) {
    VisitedCells.set(Index(visited));
}

void TStroke::Begin() {
    VisitedCells.reset();
    Last.reset();
}

TCellLine TStroke::MoveTo(std::int32_t x, std::int32_t y) {
    if (!MapCellAt(x, y)) {
        Break();
        return {};
    }
    // A coordinate of -15..-1 lies in cell 0 by the truncation; on the line it counts as 0.
    const TPixelPos here{std::max(x, 0), std::max(y, 0)};
    const TCellLine line = CellsOnLine(Last.value_or(here), here);
    Last = here;
    TCellLine fresh;
    for (std::int32_t i = 0; i < line.Count; ++i)
        if (!Visited(line.Cells[i])) {
            VisitedCells.set(Index(line.Cells[i]));
            fresh.Cells[fresh.Count++] = line.Cells[i];
        }
    return fresh;
}
