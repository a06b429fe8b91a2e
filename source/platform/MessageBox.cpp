#include "platform/MessageBox.h"

#include <SDL.h>
#include <cstdio>

namespace platform {

void ShowErrorBox(const std::string& caption, const std::string& text) {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr) == 0)
        return;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

} // namespace platform
