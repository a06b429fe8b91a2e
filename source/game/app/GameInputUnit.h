#pragma once
// The game's input object: the engine's input object with the game's key and
// joystick layout. Buttons 0 to 3 are up, down, left and right; 4 to 9 are
// the action buttons 1 to 6.

#include "lib/Z5InputUnit.h"

class TGameInput : public TZ5Input {
public:
    // Button numbers of the game's layout.
    static constexpr std::int32_t ButtonUp = 0;
    static constexpr std::int32_t ButtonDown = 1;
    static constexpr std::int32_t ButtonLeft = 2;
    static constexpr std::int32_t ButtonRight = 3;

    // Selects the first joystick and builds the game's assignment table.
    explicit TGameInput(const platform::JoystickSystem& joysticks = platform::SystemJoysticks());
};
