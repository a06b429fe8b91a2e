#pragma once
// Joystick capabilities: whether a joystick is attached and the range its X
// and Y axes report.

#include <cstdint>
#include <optional>

namespace platform {

struct JoystickCaps {
    std::int32_t XMin = 0;
    std::int32_t XMax = 0;
    std::int32_t YMin = 0;
    std::int32_t YMax = 0;
};

// Where the input object asks about joysticks. Tests hand in their own.
class JoystickSystem {
public:
    virtual ~JoystickSystem() = default;
    // The capabilities of joystick `id` (0 the first); nothing when none is attached.
    virtual std::optional<JoystickCaps> Capabilities(std::uint8_t id) const = 0;
};

// The system's joysticks; every axis reports -32768..32767. Shared, never
// destroyed before exit.
const JoystickSystem& SystemJoysticks();

} // namespace platform
