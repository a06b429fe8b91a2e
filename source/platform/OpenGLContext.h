#pragma once
// An OpenGL rendering context on a window of the message layer, current on the
// thread that made it. The pixel format (double buffer, RGBA 8 bits, depth 24,
// compatibility profile) is fixed when the window is created; the context
// takes the closest the driver gave it.

#include "platform/Exception.h"
#include "platform/WindowSystem.h"

#include <memory>

namespace platform {

class OpenGLContextError : public Exception {
public:
    enum class Step {
        NoPixelFormat,     // the window has nothing to draw into (message-only or headless)
        PixelFormatNotSet, // the window was not made for OpenGL
        ContextNotCreated, // the driver refused a context
        ContextNotCurrent, // the context could not be made current
    };
    OpenGLContextError(Step step, const std::string& detail) : Exception(detail), FailedStep(step) {}
    Step FailedStep;
};

class OpenGLContext {
public:
    // Creates the context on `window` and makes it current.
    explicit OpenGLContext(WindowHandle window);
    // Releases the context; when the window is still there it is no longer current.
    ~OpenGLContext();
    OpenGLContext(const OpenGLContext&) = delete;
    OpenGLContext& operator=(const OpenGLContext&) = delete;

    // Shows the back buffer.
    void SwapBuffers();
    // The window's size in drawing pixels.
    Size DrawableSize() const;

private:
    struct Handles;
    std::unique_ptr<Handles> Sdl; // platform types stay out of this header
};

// Asks for `interval` retraces per swap on the current context. False when the
// driver cannot; the interval then stays as it was.
bool SetSwapInterval(int interval);

} // namespace platform
