#pragma once
// Encoders for the pictures the decoder tests and the fuzz seeds need, built
// on libpng and libjpeg (writing side) and on hand-made BMP headers, plus the
// header patches that make damaged files.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace test_pictures {

using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<std::uint8_t, 3>;

// Row bytes as PNG stores them: samples of 1/2/4 bits packed from the high
// bit, 16-bit samples big-endian.
Bytes PackSamples(const std::vector<std::uint16_t>& samples, int bitDepth);

struct PngImage {
    int width = 0;
    int height = 0;
    int bitDepth = 8;
    int colourType = 0; // PNG_COLOR_TYPE_*
    bool interlaced = false;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> paletteAlpha;                     // tRNS of a palette picture
    std::optional<std::array<std::uint16_t, 3>> transparentKey; // tRNS of grey ([0]) or RGB pictures
    std::vector<Bytes> rows;                                    // packed rows, top to bottom
};
Bytes EncodePng(const PngImage& image);

struct JpegOptions {
    bool progressive = false;
    bool grey = false; // pixels hold one byte per pixel instead of RGB
    int quality = 95;
};
Bytes EncodeJpeg(int width, int height, const Bytes& pixels, const JpegOptions& options);

struct BmpImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24; // 8 (palette), 24 or 32
    bool topDown = false;
    std::vector<Rgb> palette; // for 8 bits
    Bytes pixels;             // rows top to bottom: indices, RGB, or RGB plus a fourth byte
};
Bytes EncodeBmp(const BmpImage& image);

// Header patches: the picture then claims another size; the pixel data stays.
void SetPngSize(Bytes& png, std::uint32_t width, std::uint32_t height); // also fixes the header's CRC
void SetJpegSize(Bytes& jpeg, std::uint16_t width, std::uint16_t height);
void SetBmpSize(Bytes& bmp, std::int32_t width, std::int32_t height);

} // namespace test_pictures
