#pragma once
// Picture files written by the tests, with contents known pixel by pixel.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

struct Rgba {
    std::uint8_t R, G, B, A;
};
using PixelFunction = std::function<Rgba(int x, int y)>;

// 24-bit bottom-up BMP.
void WriteBmp(const std::filesystem::path& file, int width, int height, const PixelFunction& pixel);
// 8-bit RGB or RGBA PNG.
void WritePng(const std::filesystem::path& file, int width, int height, bool withAlpha,
              const PixelFunction& pixel);

// A fresh empty folder under the system's temporary folder, removed with this object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return Path / name; }
    const std::filesystem::path& path() const { return Path; }

private:
    std::filesystem::path Path;
};
