#include "platform/MessageBox.h"

#include <SDL.h>
#include <cstdio>

namespace platform {

namespace {

// The X11 box is drawn by a child process of SDL's, which now and then fails to
// come up on a busy display; a second try almost always shows it.
constexpr int BoxAttempts = 3;

} // namespace

void ShowErrorBox(const std::string& caption, const std::string& text) {
    for (int attempt = 0; attempt < BoxAttempts; ++attempt)
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr) == 0)
            return;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

} // namespace platform
