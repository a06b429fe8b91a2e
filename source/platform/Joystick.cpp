#include "platform/Joystick.h"

#include <SDL.h>

namespace platform {

namespace {

// The joystick subsystem is opened for the question only: nothing reads the
// sticks afterwards, and a machine without joystick support answers "none".
class SdlJoysticks : public JoystickSystem {
public:
    std::optional<JoystickCaps> Capabilities(std::uint8_t id) const override {
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
            return std::nullopt;
        const bool attached = id < SDL_NumJoysticks();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        if (!attached)
            return std::nullopt;
        return JoystickCaps{SDL_JOYSTICK_AXIS_MIN, SDL_JOYSTICK_AXIS_MAX, SDL_JOYSTICK_AXIS_MIN,
                            SDL_JOYSTICK_AXIS_MAX};
    }
};

} // namespace

const JoystickSystem& SystemJoysticks() {
    static const SdlJoysticks joysticks;
    return joysticks;
}

} // namespace platform
