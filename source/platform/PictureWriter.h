#pragma once
// Writing pictures: screenshots and generated images go out as PNG files.

#include "platform/PictureDecoder.h"

#include <string>

namespace platform {

// Writes `picture` (RGB, or RGBA when it has alpha) as an 8-bit PNG. Raises
// PictureError naming the file when it cannot be written; no partial file stays.
void SavePng(const std::string& fileName, const Picture& picture);

} // namespace platform
