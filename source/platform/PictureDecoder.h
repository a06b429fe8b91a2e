#pragma once
// Picture decoders: PNG (libpng), JPEG (libjpeg-turbo) and BMP (SDL) files
// become 8-bit RGB pixels plus, for pictures that carry transparency, an alpha
// mask. Every failure raises a PictureError whose message names the file and
// what is wrong with it; nothing is returned half-decoded.

#include "platform/Exception.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class PictureError : public Exception {
public:
    using Exception::Exception;
};

// Limits checked from the file's header before any pixel memory is taken, so
// that a damaged or hostile header cannot make us allocate gigabytes.
inline constexpr int MaxPictureSide = 16384;                       // pixels, either side
inline constexpr std::int64_t MaxPicturePixels = 64 * 1024 * 1024; // pixels, width * height

struct Picture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb;   // Width * Height * 3 bytes, rows top to bottom
    std::vector<std::uint8_t> Alpha; // Width * Height bytes of alpha (255 opaque); empty without transparency

    bool HasAlpha() const { return !Alpha.empty(); }
};

// Decode a whole file. `LoadPicture` chooses the decoder by the lower-cased
// extension (".png", ".jpg", ".bmp"); any other extension is an error.
Picture LoadPng(const std::string& fileName);
Picture LoadJpeg(const std::string& fileName);
Picture LoadBmp(const std::string& fileName);
Picture LoadPicture(const std::string& fileName);

// The same from memory; `fileName` only names the source in error messages.
Picture DecodePng(const std::uint8_t* data, std::size_t size, const std::string& fileName);
Picture DecodeJpeg(const std::uint8_t* data, std::size_t size, const std::string& fileName);
Picture DecodeBmp(const std::uint8_t* data, std::size_t size, const std::string& fileName);

} // namespace platform
