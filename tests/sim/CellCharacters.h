#pragma once
// The cells of a map written as text, one character a cell, as the tests and
// the stage maker's text form write them: '#' block, 'w' hidden wall,
// 'O' outlet, 'D' drain, 'S' source, anything else empty.

#include "game/water/VaporelBoxUnit.h"

inline TCellType CellTypeOfCharacter(char c) {
    switch (c) {
    case '#': return ctBlock;
    case 'w': return ctWall;
    case 'O': return ctOutlet;
    case 'D': return ctDrain;
    case 'S': return ctSource;
    default: return ctEmpty;
    }
}
