#pragma once
// The collision map's upkeep over the box's cells. Whatever way it is brought
// up to date, the map is what a rebuild from the pool gives: in each cell, in
// pool order, the first MaxCellEntries active particles that have a corner of
// their bounding square (x +- r, y +- r) in the cell.
//
// A rebuild empties every cell first. After a rebuild the box
// notes the particles it moves (SwapWater's few exchanges) and asks
// TryUpdateMoved to take them out of their old cells and into their new ones
// instead of rebuilding the whole map.

#include "game/water/WaterTypesUnit.h"

#include <cstdint>
#include <vector>

class TCollisionMap {
public:
    // Every cell's Count set to 0.
    void Clear(TCellRegistry& map);
    void Rebuild(TCellRegistry& map, const std::vector<TWaterParticle>& pool, std::int32_t radius);

    // Before particle `index` moves away from `position`, where the last
    // rebuild found it. A particle noted again keeps its first position.
    void NoteMove(std::int32_t index, const TVector3D& position);
    // The moves since the last rebuild, cell by cell; false (the map then
    // left as it was) where only a rebuild can tell: too many moves, or a
    // particle leaving a full cell that may have left others out.
    bool TryUpdateMoved(TCellRegistry& map, const std::vector<TWaterParticle>& pool, std::int32_t radius);

private:
    // The distinct cells of a bounding square that lie on the map, in corner
    // order: (x - r, y - r), (x + r, y - r), (x - r, y + r), (x + r, y + r).
    struct TSquareCells {
        std::int32_t Count = 0;
        std::int32_t Column[4];
        std::int32_t Row[4];
        bool Holds(std::int32_t column, std::int32_t row) const;
    };
    struct TMove {
        std::int32_t Index;
        TVector3D From;
        TSquareCells Before; // worked out by TryUpdateMoved
        TSquareCells After;
    };
    // A frame of the shipped stage swaps a few pairs, a basin of 2,000 a few dozen.
    static constexpr std::int32_t MaxMoves = 256;

    template <typename Visit>
    static void ForEachSquareCell(const TVector3D& position, double radius, Visit visit);
    static TSquareCells SquareCells(const TVector3D& position, double radius);
    static bool LeavesAFullCell(const TCellRegistry& map, const TMove& move);
    static void Remove(TCellRegistry& map, std::int32_t column, std::int32_t row, std::int32_t index);
    static void Insert(TCellRegistry& map, std::int32_t column, std::int32_t row, std::int32_t index);

    TMove Moves[MaxMoves];
    std::int32_t MoveCount = 0; // MaxMoves + 1: more moves than are noted
};
