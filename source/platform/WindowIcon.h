#pragma once
// Platform-internal: the program's own icon, built into the program.

struct SDL_Window;

namespace platform {

// Gives the window the program's icon; a window keeps the desktop's default
// icon if the built-in picture cannot be used.
void SetProgramIcon(SDL_Window* window);

} // namespace platform
