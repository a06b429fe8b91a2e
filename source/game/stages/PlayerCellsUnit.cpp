#include "game/stages/PlayerCellsUnit.h"

std::vector<TPlayerCell> PlayerCells(const TVaporelBox& box) {
    std::vector<TPlayerCell> cells;
    for (std::int32_t column = 0; column < MapColumns; ++column)
        for (std::int32_t row = 0; row < MapRows; ++row)
            if (const TCellType type = box.GetCell(column, row).CellType;
                type != box.StageCellTypes()[column][row])
                cells.push_back(TPlayerCell{column, row, type});
    return cells;
}

void ApplyPlayerCells(TVaporelBox& box, const std::vector<TPlayerCell>& cells) {
    for (const TPlayerCell& cell : cells) {
        TMapCell changed = box.GetCell(cell.Column, cell.Row);
        changed.CellType = cell.Type;
        box.SetCell(cell.Column, cell.Row, changed);
    }
}
