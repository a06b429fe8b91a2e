#pragma once
// The player's own cells of a play: every cell whose type is not the one the
// stage's map gave it, so that a lost play can be tried again with them.

#include "game/water/VaporelBoxUnit.h"

#include <cstdint>
#include <vector>

struct TPlayerCell {
    std::int32_t Column = 0;
    std::int32_t Row = 0;
    TCellType Type = ctEmpty;
    bool operator==(const TPlayerCell&) const = default;
};

// The cells of the box that differ from its stage's map, column by column.
std::vector<TPlayerCell> PlayerCells(const TVaporelBox& box);
// Sets each cell through SetCell, so that the box's listener (the play's
// recorder) hears them as the player's actions.
void ApplyPlayerCells(TVaporelBox& box, const std::vector<TPlayerCell>& cells);
