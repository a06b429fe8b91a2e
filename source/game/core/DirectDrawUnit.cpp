#include "game/core/DirectDrawUnit.h"

// The program's display mode is a static that leaves full screen through the
// window layer at exit, after main: the layer must go after it.
TDirectDraw::TDirectDraw() {
    platform::PrepareWindowSystem();
}

TDirectDraw::~TDirectDraw() {
    RestoreMode();
}

void TDirectDraw::SetMode(platform::WindowHandle window, int width, int height, int colorBits) {
    if (!window)
        return;
    RestoreMode();
    if (!platform::IsWindow(window))
        throw EDirectDraw("DirectDrawCreate に失敗しました");
    FullScreenWindow = window;
    if (!platform::EnterFullScreen(window))
        throw EDirectDraw("DirectDraw.SetCooperativeLevel に失敗しました");
    if (!platform::SetFullScreenMode(window, {width, height}, colorBits))
        throw EDirectDraw("DirectDraw.SetDisplayMode に失敗しました");
}

void TDirectDraw::RestoreMode() {
    if (!FullScreenWindow)
        return;
    // The window may be gone already (the program ends in full screen).
    platform::LeaveFullScreen(FullScreenWindow);
    FullScreenWindow = nullptr;
}

TDirectDraw& DisplayMode() {
    static TDirectDraw displayMode;
    return displayMode;
}
