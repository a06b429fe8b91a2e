#include "game/states/MainGameStateUnit.h"

#include "game/audio/BGMManagerUnit.h"
#include "game/app/KeyStateUnit.h"
#include "game/app/WaitTimerUnit.h"
#include "game/states/GuideUnit.h"

namespace {

// The first rule that applies: a key chooses its type, toggling with empty.
TCellType Toggled(TCellType type, TCellType chosen) {
    return type == chosen ? ctEmpty : chosen;
}

bool IsOnMap(std::int32_t column, std::int32_t row) {
    return column >= 0 && column < MapColumns && row >= 0 && row < MapRows;
}

} // namespace

TCellType EditedCellType(TCellType type, TShiftFlags shift) {
    if (IsKeyDown(OutletKey))
        return Toggled(type, ctOutlet);
    if (IsKeyDown(DrainKey))
        return Toggled(type, ctDrain);
    if (IsKeyDown(SourceKey))
        return Toggled(type, ctSource);
    if (shift & ssCtrl)
        return Toggled(type, ctWall);
    switch (type) {
    case ctEmpty: return ctBlock;
    case ctBlock: return ctEmpty;
    default: return type;
    }
}

void TMainGameState::Enter() {
    Box.Restart();
    BGMManager.PlayBGM(bidGame); // from its beginning, at full volume
}

void TMainGameState::Leave() {
    WaitTimer.SetRate(NormalFrameRate);
}

void TMainGameState::Update() {
    Box.Execute();
    if (Box.Finished)
        App.ChangeToTitle();
}

void TMainGameState::Draw() {
    Box.Draw();
    if (Renderer && GoalLineVisible(Box))
        DrawGoalLine(*Renderer, Box);
}

// Every press starts a new stroke, so that pressing again on the cell
// changed last toggles it back.
void TMainGameState::MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags shift) {
    LastCellX_ = -1;
    LastCellY_ = -1;
    if (button == mbRight)
        WaitTimer.SetRate(FastFrameRate);
    else
        EditCellAt(x, y, shift);
}

void TMainGameState::MouseMove(int x, int y, TShiftFlags shift) {
    EditCellAt(x, y, shift);
}

void TMainGameState::MouseUp(int, int, TMouseButtonCode button, TShiftFlags) {
    if (button == mbRight)
        WaitTimer.SetRate(NormalFrameRate);
}

void TMainGameState::EditCellAt(int x, int y, TShiftFlags shift) {
    if (!(shift & ssLeft))
        return;
    const std::int32_t column = x / CellSize; // truncates toward zero
    const std::int32_t row = y / CellSize;
    if (!IsOnMap(column, row) || (column == LastCellX_ && row == LastCellY_))
        return;
    TMapCell cell = Box.GetCell(column, row);
    cell.CellType = EditedCellType(cell.CellType, shift);
    Box.SetCell(column, row, cell);
    LastCellX_ = column;
    LastCellY_ = row;
}
