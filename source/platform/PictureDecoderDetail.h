#pragma once
// Helpers the PNG, JPEG and BMP decoders share: the wording of their errors and
// the checks every decoder makes before it allocates pixels. Platform-private.

#include "platform/PictureDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::picture_detail {

// Raises PictureError with "<fileName> <problem>", e.g. "a.png is truncated".
[[noreturn]] void Fail(const std::string& fileName, const std::string& problem);
[[noreturn]] void FailTruncated(const std::string& fileName);
[[noreturn]] void FailDamaged(const std::string& fileName, const std::string& detail);

void CheckNotEmpty(std::size_t size, const std::string& fileName);

// Rejects sizes outside 1..MaxPictureSide per side or above MaxPicturePixels.
void CheckDimensions(std::int64_t width, std::int64_t height, const std::string& fileName);

// A picture of the given (already checked) size with its buffers allocated.
Picture AllocatePicture(int width, int height, bool withAlpha);

} // namespace platform::picture_detail
