#pragma once
// Writing pictures: screenshots and generated images go out as PNG files;
// the stage pictures made from a map are encoded in memory, so that a folder
// takes them whole or not at all.

#include "platform/PictureDecoder.h"

#include <string>

namespace platform {

// Writes `picture` (RGB, or RGBA when it has alpha) as an 8-bit PNG. Raises
// PictureError naming the file when it cannot be written; no partial file stays.
void SavePng(const std::string& fileName, const Picture& picture);

// The bytes of `picture` as a PNG at the strongest compression, and as a
// baseline JPEG of `quality` (1..100, alpha left out): the same picture gives
// the same bytes on every run. Raise PictureError naming `fileName`.
std::string EncodePng(const Picture& picture, const std::string& fileName);
std::string EncodeJpeg(const Picture& picture, int quality, const std::string& fileName);

} // namespace platform
