#include "platform/Cursor.h"

#include <SDL.h>

namespace platform {

namespace {

int DisplayCount = 0; // main thread only

} // namespace

int ShowCursor(bool show) {
    const bool wasVisible = CursorVisible();
    DisplayCount += show ? 1 : -1;
    // Before the video subsystem is up there is no cursor to change; the window
    // system applies CursorVisible() when it creates the first window.
    if (wasVisible != CursorVisible() && SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(CursorVisible() ? SDL_ENABLE : SDL_DISABLE);
    return DisplayCount;
}

bool CursorVisible() {
    return DisplayCount >= 0;
}

} // namespace platform
