#include "TestPictures.h"

#include <png.h>

#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

void Put16(std::ofstream& out, std::uint32_t value) {
    out.put(static_cast<char>(value & 0xFF));
    out.put(static_cast<char>((value >> 8) & 0xFF));
}
void Put32(std::ofstream& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

} // namespace

void WriteBmp(const std::filesystem::path& file, int width, int height, const PixelFunction& pixel) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t dataOffset = 14 + 40;
    std::ofstream out(file, std::ios::binary);
    out.write("BM", 2);
    Put32(out, dataOffset + rowBytes * static_cast<std::uint32_t>(height));
    Put32(out, 0);
    Put32(out, dataOffset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height)); // positive: bottom-up
    Put16(out, 1);
    Put16(out, 24);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    std::vector<char> row(rowBytes, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Rgba c = pixel(x, y);
            row[static_cast<std::size_t>(x) * 3 + 0] = static_cast<char>(c.B);
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<char>(c.G);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<char>(c.R);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

void WritePng(const std::filesystem::path& file, int width, int height, bool withAlpha,
              const PixelFunction& pixel) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const int components = withAlpha ? 4 : 3;
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height * components);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgba c = pixel(x, y);
            pixels.insert(pixels.end(), {c.R, c.G, c.B});
            if (withAlpha)
                pixels.push_back(c.A);
        }
    if (png_image_write_to_file(&image, file.c_str(), 0, pixels.data(), 0, nullptr) == 0)
        throw std::runtime_error("cannot write " + file.string() + ": " + image.message);
}

TempFolder::TempFolder() {
    std::random_device random;
    Path = std::filesystem::temp_directory_path() / ("vaporel-render-" + std::to_string(random()));
    std::filesystem::create_directories(Path);
}

TempFolder::~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(Path, error);
}
