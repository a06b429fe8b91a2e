#include "platform/WindowIcon.h"

#include "platform/PictureDecoder.h"

#include <SDL.h>

#include <memory>

extern const unsigned char ProgramIconPng[];
extern const std::size_t ProgramIconPngSize;

namespace platform {

namespace {

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

std::vector<std::uint8_t> InterleaveRgba(const Picture& picture) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(picture.Width) * picture.Height * 4);
    for (std::size_t i = 0; i < rgba.size() / 4; ++i) {
        rgba[i * 4 + 0] = picture.Rgb[i * 3 + 0];
        rgba[i * 4 + 1] = picture.Rgb[i * 3 + 1];
        rgba[i * 4 + 2] = picture.Rgb[i * 3 + 2];
        rgba[i * 4 + 3] = picture.HasAlpha() ? picture.Alpha[i] : 255;
    }
    return rgba;
}

} // namespace

void SetProgramIcon(SDL_Window* window) {
    Picture picture;
    try {
        picture = DecodePng(ProgramIconPng, ProgramIconPngSize, "the built-in icon");
    } catch (const PictureError&) {
        return; // a cosmetic loss only
    }
    std::vector<std::uint8_t> rgba = InterleaveRgba(picture);
    const std::unique_ptr<SDL_Surface, SurfaceFree> surface(SDL_CreateRGBSurfaceWithFormatFrom(
        rgba.data(), picture.Width, picture.Height, 32, picture.Width * 4, SDL_PIXELFORMAT_RGBA32));
    if (surface)
        SDL_SetWindowIcon(window, surface.get());
}

} // namespace platform
