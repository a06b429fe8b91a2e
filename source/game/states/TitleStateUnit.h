#pragma once
// The title screen: the title picture with a blinking click prompt and, below
// it, how to play and the help key; a left click starts the game.

#include "game/states/GameStateUnit.h"

#include <cstdint>

class TTitleState : public TGameState {
public:
    static constexpr std::int32_t BlinkFrames = 30; // the prompt is shown, then hidden, this long

    using TGameState::TGameState;

    void Enter() override;
    void Update() override;
    void Draw() override;
    void MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags shift) override;

    // Timed frames since the last Enter.
    std::int32_t Frames() const { return Frames_; }
    // Shown for frames 0 to 29 after Enter, hidden 30 to 59, and so on.
    bool PromptVisible() const { return Frames_ / BlinkFrames % 2 == 0; }

private:
    std::int32_t Frames_ = 0;
};
