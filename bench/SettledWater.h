#pragma once
// Water for the benchmarks: the shipped stage's layout with its outlets and
// drains closed, so that the pool stays the same size, filled bottom up with a
// lattice of particles.

#include "BoxSetup.h"
#include "game/water/VaporelBoxUnit.h"

#include <cstdint>

inline constexpr int SettleFrames = 240; // 4 s of game time: the lattice collapses into piles

struct TPoolSize {
    std::int32_t Particles;
    std::int32_t Radius; // pixels: small enough for that many to fit the field
};

inline void CloseOutletsAndDrains(TVaporelBox& box) {
    for (int column = 0; column < MapColumns; ++column)
        for (int row = 0; row < MapRows; ++row)
            if (const TCellType type = box.Cells()[column][row].CellType; type == ctOutlet || type == ctDrain)
                box.SetCell(column, row, TMapCell{ctBlock});
}

// A loaded stage's pool made `size` large (two thirds blue) and filled with
// one particle per lattice point of open cells, from the bottom row up.
inline void FillBottomUp(TVaporelBox& box, TPoolSize size) {
    TBoxSetup(box).Parameters().WaterParticleNum = size.Particles;
    TBoxSetup(box).Parameters().BlueWaterNum = size.Particles * 2 / 3;
    TBoxSetup(box).Parameters().WaterRadius = size.Radius;
    box.ResetWater();
    const int spacing = 2 * size.Radius;
    std::int32_t added = 0;
    for (int y = FieldHeight - size.Radius; y >= size.Radius; y -= spacing)
        for (int x = size.Radius; x < FieldWidth; x += spacing) {
            if (added == size.Particles)
                return;
            if (box.Cells()[x / CellSize][y / CellSize].CellType == ctEmpty) {
                box.AddParticle(x, y);
                ++added;
            }
        }
}

// The shipped stage from its first frame's seed, its pool filled and settled.
inline void SettleStageWater(TVaporelBox& box, TPoolSize size) {
    SetRandSeed(0);
    box.LoadStage(VAPOREL_STAGE_DIR);
    CloseOutletsAndDrains(box);
    FillBottomUp(box, size);
    for (int frame = 0; frame < SettleFrames; ++frame)
        box.Execute();
}
