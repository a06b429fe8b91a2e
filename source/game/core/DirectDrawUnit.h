#pragma once
// The display mode for full-screen play. The screen's own mode is never
// changed: the window takes the whole screen and the program's picture of the
// requested size is scaled to fit it, which a crash cannot leave behind.

#include "platform/Exception.h"
#include "platform/WindowSystem.h"

class EDirectDraw : public Exception {
public:
    using Exception::Exception;
};

class TDirectDraw {
public:
    TDirectDraw();
    ~TDirectDraw(); // restores the desktop if the program ends in full screen
    TDirectDraw(const TDirectDraw&) = delete;
    TDirectDraw& operator=(const TDirectDraw&) = delete;

    // Full screen for `window` showing a picture of width x height at the given
    // colour depth. A null window changes nothing. Raises EDirectDraw.
    void SetMode(platform::WindowHandle window, int width, int height, int colorBits);
    // Back to the desktop; nothing when no mode is set.
    void RestoreMode();

    bool ModeSet() const { return FullScreenWindow != nullptr; }

private:
    // The window holding the screen: set from the moment the screen is taken
    // until RestoreMode, also when a later step of SetMode failed.
    platform::WindowHandle FullScreenWindow = nullptr;
};

// The program's one display-mode object.
TDirectDraw& DisplayMode();
