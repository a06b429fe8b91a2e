#include "game/app/GameInputUnit.h"

#include <array>

namespace {

struct TAssignment {
    std::uint32_t Code;
    std::int32_t Button;
};

// Arrows and the numeric pad move; the pad's diagonals (1, 3, 7, 9) drive two
// directions each, pad 5 nothing. Z X C V B N are the action buttons 1 to 6.
constexpr std::array<TAssignment, 22> KeyLayout = {{
    {37, TGameInput::ButtonLeft},   // left arrow
    {39, TGameInput::ButtonRight},  // right arrow
    {38, TGameInput::ButtonUp},     // up arrow
    {40, TGameInput::ButtonDown},   // down arrow
    {100, TGameInput::ButtonLeft},  // pad 4
    {102, TGameInput::ButtonRight}, // pad 6
    {104, TGameInput::ButtonUp},    // pad 8
    {98, TGameInput::ButtonDown},   // pad 2
    {97, TGameInput::ButtonLeft},   // pad 1
    {97, TGameInput::ButtonDown},
    {99, TGameInput::ButtonRight}, // pad 3
    {99, TGameInput::ButtonDown},
    {103, TGameInput::ButtonLeft}, // pad 7
    {103, TGameInput::ButtonUp},
    {105, TGameInput::ButtonRight}, // pad 9
    {105, TGameInput::ButtonUp},
    {'Z', 4},
    {'X', 5},
    {'C', 6},
    {'V', 7},
    {'B', 8},
    {'N', 9},
}};

constexpr std::int32_t JoystickButtonsUsed = 6; // joystick buttons 1 to 6: the action buttons

} // namespace

TGameInput::TGameInput(const platform::JoystickSystem& joysticks) : TZ5Input(0, joysticks) {
    ClearAssigns();
    for (const TAssignment& key : KeyLayout)
        AddKeyAssign(key.Code, key.Button);
    for (std::int32_t i = 0; i < JoystickButtonsUsed; ++i)
        AddJoyButtonAssign(1u << i, FirstActionButton + i);
}
