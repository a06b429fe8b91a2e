#pragma once
// Platform-internal: the SDL window behind a window of the message layer, for
// the parts of the platform that draw into it (the OpenGL context).

#include "platform/WindowSystem.h"

struct SDL_Window;

namespace platform {

// Null for message-only windows and on the headless screen.
SDL_Window* SdlWindowOf(WindowHandle window);

} // namespace platform
