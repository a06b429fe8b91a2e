#include "platform/PictureWriter.h"

#include "platform/CheckedFile.h"

#include <png.h>

#include <string>
#include <vector>

namespace platform {

void SavePng(const std::string& fileName, const Picture& picture) {
    if (picture.Width <= 0 || picture.Height <= 0 ||
        picture.Rgb.size() != static_cast<std::size_t>(picture.Width) * picture.Height * 3)
        throw PictureError(fileName + ": the picture to write is empty or inconsistent");
    std::vector<std::uint8_t> pixels;
    const bool alpha = picture.HasAlpha();
    if (alpha) {
        pixels.reserve(picture.Alpha.size() * 4);
        for (std::size_t i = 0; i < picture.Alpha.size(); ++i)
            pixels.insert(pixels.end(), {picture.Rgb[i * 3], picture.Rgb[i * 3 + 1], picture.Rgb[i * 3 + 2],
                                         picture.Alpha[i]});
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.Width);
    image.height = static_cast<png_uint_32>(picture.Height);
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const void* data = alpha ? pixels.data() : picture.Rgb.data();
    // Made in memory, so that a failed write reports the system's reason.
    png_alloc_size_t size = 0;
    std::string bytes;
    if (png_image_write_get_memory_size(image, size, 0, data, 0, nullptr) != 0) {
        bytes.resize(size);
        if (png_image_write_to_memory(&image, bytes.data(), &size, 0, data, 0, nullptr) == 0)
            bytes.clear();
    }
    if (bytes.empty())
        throw PictureError(fileName + ": cannot be written (" + image.message + ")");
    try {
        WriteWholeFile(fileName, bytes);
    } catch (const FileError& error) {
        throw PictureError(fileName + ": cannot be written (" + error.Reason() + ")");
    }
}

} // namespace platform
