#include "platform/PictureWriter.h"

#include <png.h>

#include <cstdio>
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
    if (png_image_write_to_file(&image, fileName.c_str(), 0, data, 0, nullptr) == 0) {
        std::remove(fileName.c_str());
        throw PictureError(fileName + ": cannot be written (" + image.message + ")");
    }
}

} // namespace platform
