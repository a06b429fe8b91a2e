#pragma once
// The game itself: the water runs, the box draws the stage, and the mouse
// redraws the map. The right button runs the game four times as fast while
// it is held; the stage's end returns to the title.

#include "game/states/GameStateUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <cstdint>

inline constexpr std::int32_t NormalFrameRate = 60; // timed frames per second
inline constexpr std::int32_t FastFrameRate = 240;  // while the right button is held

// Virtual-key codes of the keys that choose the kind of cell to draw.
inline constexpr std::int32_t OutletKey = '1';
inline constexpr std::int32_t DrainKey = '2';
inline constexpr std::int32_t SourceKey = '3';

// The map editing's rule: the keys held (tested in the order 1, 2, 3, Ctrl)
// choose a type that toggles with empty; with none of them empty and block
// swap, and any other type stays.
TCellType EditedCellType(TCellType type, TShiftFlags shift);

class TMainGameState : public TGameState {
public:
    using TGameState::TGameState;

    // Restarts the stage. The last edited cell is kept.
    void Enter() override;
    // Back to 60 frames a second: the fast mode never outlives the game.
    void Leave() override;
    // One frame of the water; when the box is finished, the title at once.
    void Update() override;
    // The stage's scene, and the goal at the top of the field while a play starts.
    void Draw() override;
    void MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags shift) override;
    void MouseMove(int x, int y, TShiftFlags shift) override;
    void MouseUp(int x, int y, TMouseButtonCode button, TShiftFlags shift) override;

    // The cell changed last by the mouse; (0, 0) at first, (-1, -1) after a press.
    std::int32_t LastCellX() const { return LastCellX_; }
    std::int32_t LastCellY() const { return LastCellY_; }

private:
    // With the left button held, toggles the cell under (X, Y) by
    // EditedCellType, once while the mouse stays on it. A position off the
    // map (the pointer dragged out of the window) changes nothing.
    void EditCellAt(int x, int y, TShiftFlags shift);

    std::int32_t LastCellX_ = 0;
    std::int32_t LastCellY_ = 0;
};
