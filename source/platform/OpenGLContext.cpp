#include "platform/OpenGLContext.h"

#include "platform/WindowSystemSdl.h"

#include <SDL.h>

namespace platform {

struct OpenGLContext::Handles {
    SDL_Window* Window = nullptr;
    SDL_GLContext Context = nullptr;

    Handles() = default;
    Handles(const Handles&) = delete;
    Handles& operator=(const Handles&) = delete;
    ~Handles() {
        if (Context == nullptr)
            return;
        // Destroying a window releases its current context already, so the
        // window is only asked for when SDL still has the context current.
        if (SDL_GL_GetCurrentContext() == Context)
            SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
        SDL_GL_DeleteContext(Context);
    }
};

namespace {

std::string SdlError(const char* what) {
    return std::string(what) + ": " + SDL_GetError();
}

} // namespace

OpenGLContext::OpenGLContext(WindowHandle window) : Sdl(std::make_unique<Handles>()) {
    using Step = OpenGLContextError::Step;
    Sdl->Window = SdlWindowOf(window);
    if (Sdl->Window == nullptr)
        throw OpenGLContextError(Step::NoPixelFormat, "the window has no drawing surface");
    if ((SDL_GetWindowFlags(Sdl->Window) & SDL_WINDOW_OPENGL) == 0)
        throw OpenGLContextError(Step::PixelFormatNotSet, "the window was not created for OpenGL");
    Sdl->Context = SDL_GL_CreateContext(Sdl->Window);
    if (Sdl->Context == nullptr)
        throw OpenGLContextError(Step::ContextNotCreated, SdlError("SDL_GL_CreateContext"));
    if (SDL_GL_MakeCurrent(Sdl->Window, Sdl->Context) != 0)
        throw OpenGLContextError(Step::ContextNotCurrent, SdlError("SDL_GL_MakeCurrent"));
}

OpenGLContext::~OpenGLContext() = default;

void OpenGLContext::SwapBuffers() {
    SDL_GL_SwapWindow(Sdl->Window);
}

Size OpenGLContext::DrawableSize() const {
    Size size;
    SDL_GL_GetDrawableSize(Sdl->Window, &size.Width, &size.Height);
    return size;
}

bool SetSwapInterval(int interval) {
    return SDL_GL_SetSwapInterval(interval) == 0;
}

} // namespace platform
