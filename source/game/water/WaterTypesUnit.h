#pragma once
// The water's own types: the field and its map cells, the particles and the
// collision map's cells, shared by the box and the passes over its water.

#include "game/core/Math3DUnit.h"

#include <cstdint>

inline constexpr int FieldWidth = 1024;    // pixels, x grows to the right
inline constexpr int FieldHeight = 768;    // pixels, y grows downwards
inline constexpr int CellSize = 16;        // pixels, edge of a map cell
inline constexpr int MapColumns = 65;      // one more than FieldWidth / CellSize
inline constexpr int MapRows = 49;         // one more than FieldHeight / CellSize
inline constexpr int MaxCellEntries = 100; // particle references one cell holds

enum TCellType : std::uint8_t {
    ctEmpty,  // white: open space
    ctBlock,  // any other colour: solid, drawn with the Block layer
    ctWall,   // grey: solid, not drawn
    ctOutlet, // pure blue: the particle leaves the box and is counted by kind
    ctDrain,  // pure red: the particle is switched off, its slot is free again
    ctSource, // black: emits a particle in every frame its cell holds none
};
inline constexpr int CellTypeCount = ctSource + 1;

enum TWaterKind : std::uint8_t { wkBlue, wkEtc };

// The top-left corner of the cell holding a client coordinate: division by
// the cell size truncating toward zero, so -5 gives 0.
constexpr int CellOrigin(int coordinate) {
    return coordinate / CellSize * CellSize;
}

// The cell index of a coordinate: its integer part (truncated towards zero)
// divided by 16, truncated towards zero, so -15.9..15.9 all give 0. Answers
// -1 off the map; the range test comes first so that no out-of-range double
// (nor a NaN) is ever converted to an integer.
inline int CellIndex(double v, int cellCount) {
    if (!(v > -CellSize && v < cellCount * CellSize))
        return -1;
    return static_cast<int>(v) / CellSize;
}

// One slot of the particle pool. Positions are field pixels, velocities pixels
// per frame; z is always 0.
struct TWaterParticle {
    TVector3D Position;
    TVector3D Velocity;
    TVector3D PrevPosition;   // position at the end of the previous frame
    bool Active = false;      // in the box and simulated
    bool Exited = false;      // left through an outlet: used up until the next reset
    TWaterKind Kind = wkBlue; // fixed per slot by the reset
};

// One map cell: what the stage (or the player) made it.
struct TMapCell {
    TCellType CellType = ctEmpty;
};

// The collision map: for each cell, the particles registered in it as indices
// into the particle pool, in pool order, rebuilt by MakeCollisionMap. The
// counts lie apart from the entries, so that a walk over every cell reads 13 KB
// and not the 1.3 MB of entries.
struct TCellRegistry {
    std::int32_t Count[MapColumns][MapRows] = {};
    std::int32_t Entries[MapColumns][MapRows][MaxCellEntries] = {};
};
