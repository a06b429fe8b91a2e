#include "game/water/CollisionMapUnit.h"

#include <algorithm>

// The counts take 13 KB: emptying every cell costs less than keeping track
// of the cells in use while the map is built.
void TCollisionMap::Clear(TCellRegistry& map) {
    std::fill_n(&map.Count[0][0], MapColumns * MapRows, 0);
    MoveCount = 0;
}

// Every active particle, in pool order, goes into the cells of its bounding
// square's corners, at most once per cell and at most MaxCellEntries per
// cell, so each cell's entries ascend.
void TCollisionMap::Rebuild(TCellRegistry& map, const std::vector<TWaterParticle>& pool,
                            std::int32_t radius) {
    Clear(map);
    const double r = radius;
    const TWaterParticle* const particles = pool.data();
    const std::int32_t n = static_cast<std::int32_t>(pool.size());
    for (std::int32_t i = 0; i < n; ++i) {
        if (!particles[i].Active)
            continue;
        ForEachSquareCell(particles[i].Position, r, [&](std::int32_t column, std::int32_t row) {
            std::int32_t& count = map.Count[column][row];
            if (count < MaxCellEntries)
                map.Entries[column][row][count++] = i;
        });
    }
}

// The corners' columns and rows are worked out once; two corners share a cell
// exactly when they share its column and row.
template <typename Visit>
void TCollisionMap::ForEachSquareCell(const TVector3D& position, double radius, Visit visit) {
    const int left = CellIndex(position.x - radius, MapColumns);
    const int right = CellIndex(position.x + radius, MapColumns);
    const int top = CellIndex(position.y - radius, MapRows);
    const int bottom = CellIndex(position.y + radius, MapRows);
    auto onMap = [&visit](int column, int row) {
        if (column >= 0 && row >= 0)
            visit(column, row);
    };
    onMap(left, top);
    if (right != left)
        onMap(right, top);
    if (bottom != top) {
        onMap(left, bottom);
        if (right != left)
            onMap(right, bottom);
    }
}

TCollisionMap::TSquareCells TCollisionMap::SquareCells(const TVector3D& position, double radius) {
    TSquareCells square;
    ForEachSquareCell(position, radius, [&square](std::int32_t column, std::int32_t row) {
        square.Column[square.Count] = column;
        square.Row[square.Count] = row;
        ++square.Count;
    });
    return square;
}

bool TCollisionMap::TSquareCells::Holds(std::int32_t column, std::int32_t row) const {
    for (std::int32_t k = 0; k < Count; ++k)
        if (Column[k] == column && Row[k] == row)
            return true;
    return false;
}

void TCollisionMap::NoteMove(std::int32_t index, const TVector3D& position) {
    if (MoveCount > MaxMoves)
        return;
    for (std::int32_t k = 0; k < MoveCount; ++k)
        if (Moves[k].Index == index)
            return;
    if (MoveCount < MaxMoves)
        Moves[MoveCount] = TMove{index, position, {}, {}};
    ++MoveCount;
}

// A cell's entries are the first MaxCellEntries of the particles that have a
// corner in it, in pool order. A cell with room holds them all, so taking a
// particle out and putting one in at its place in the order gives what a
// rebuild would. A full cell may have left out particles after its last
// entry; putting one in before that still gives the rebuild's entries, but
// taking out one of its entries would let in the first particle left out,
// which only a rebuild can find.
bool TCollisionMap::TryUpdateMoved(TCellRegistry& map, const std::vector<TWaterParticle>& pool,
                                   std::int32_t radius) {
    if (MoveCount > MaxMoves)
        return false;
    const double r = radius;
    for (std::int32_t k = 0; k < MoveCount; ++k) {
        TMove& move = Moves[k];
        move.Before = SquareCells(move.From, r);
        move.After = SquareCells(pool[move.Index].Position, r);
        if (LeavesAFullCell(map, move))
            return false;
    }
    // Out of every old cell first: a particle that keeps a cell goes back in.
    for (std::int32_t k = 0; k < MoveCount; ++k)
        for (std::int32_t c = 0; c < Moves[k].Before.Count; ++c)
            Remove(map, Moves[k].Before.Column[c], Moves[k].Before.Row[c], Moves[k].Index);
    for (std::int32_t k = 0; k < MoveCount; ++k)
        for (std::int32_t c = 0; c < Moves[k].After.Count; ++c) {
            const std::int32_t column = Moves[k].After.Column[c];
            const std::int32_t row = Moves[k].After.Row[c];
            Insert(map, column, row, Moves[k].Index);
        }
    MoveCount = 0;
    return true;
}

// Whether the move takes one of its entries out of a full cell. The particle
// had a corner in each of its old cells, so in a full one it is an entry
// exactly when it does not come after the last.
bool TCollisionMap::LeavesAFullCell(const TCellRegistry& map, const TMove& move) {
    for (std::int32_t c = 0; c < move.Before.Count; ++c) {
        const std::int32_t column = move.Before.Column[c];
        const std::int32_t row = move.Before.Row[c];
        if (map.Count[column][row] == MaxCellEntries &&
            move.Index <= map.Entries[column][row][MaxCellEntries - 1] && !move.After.Holds(column, row))
            return true;
    }
    return false;
}

void TCollisionMap::Remove(TCellRegistry& map, std::int32_t column, std::int32_t row, std::int32_t index) {
    std::int32_t& count = map.Count[column][row];
    std::int32_t* const entries = map.Entries[column][row];
    std::int32_t* const end = entries + count;
    std::int32_t* const at = std::lower_bound(entries, end, index);
    if (at == end || *at != index)
        return;
    std::copy(at + 1, end, at);
    --count;
}

// At its place in pool order; a full cell drops its last entry for it, or
// leaves it out when it comes after the last.
void TCollisionMap::Insert(TCellRegistry& map, std::int32_t column, std::int32_t row, std::int32_t index) {
    std::int32_t& count = map.Count[column][row];
    std::int32_t* const entries = map.Entries[column][row];
    std::int32_t* const end = entries + count;
    std::int32_t* const at = std::upper_bound(entries, end, index);
    if (count < MaxCellEntries) {
        std::copy_backward(at, end, end + 1);
        *at = index;
        ++count;
    } else if (at != end) {
        std::copy_backward(at, end - 1, end);
        *at = index;
    }
}
