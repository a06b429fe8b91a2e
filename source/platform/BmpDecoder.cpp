// BMP through SDL's bitmap reader, converted to RGB24. SDL allocates the
// surface as soon as it has read the header, so the header's size is checked
// here first. A 32-bit file's fourth byte is dropped: most writers leave it as
// padding rather than alpha, and transparency comes from PNG pictures only,
// so a BMP is always an opaque picture.

#include "platform/PictureDecoder.h"

#include "platform/PictureDecoderDetail.h"

#include <SDL.h>

#include <climits>
#include <cstring>
#include <memory>

namespace platform {

namespace {

using namespace picture_detail;

constexpr std::size_t BmpFileHeaderBytes = 14;
constexpr std::size_t CoreHeaderBytes = 12; // the old OS/2 header with 16-bit sizes
constexpr std::size_t InfoHeaderReadBytes =
    20; // of the newer headers: size, sizes, planes, depth, compression
constexpr std::size_t InfoHeaderSizeOffset = BmpFileHeaderBytes;
constexpr std::size_t PixelDataOffsetOffset = 10;
constexpr std::size_t SizesOffset = BmpFileHeaderBytes + 4;
constexpr std::uint32_t UncompressedRgb = 0;       // BI_RGB
constexpr std::uint32_t UncompressedBitfields = 3; // BI_BITFIELDS

struct BmpHeader {
    std::int64_t width;
    std::int64_t height; // rows; the file's sign (top-down) is dropped
    std::uint32_t pixelDataOffset;
    std::uint32_t bitsPerPixel;
    std::uint32_t compression;
};

std::uint32_t ReadLittleEndian(const std::uint8_t* data, std::size_t offset, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | data[offset + static_cast<std::size_t>(i)];
    return value;
}

std::int64_t ReadSigned32(const std::uint8_t* data, std::size_t offset) {
    return static_cast<std::int32_t>(ReadLittleEndian(data, offset, 4));
}

BmpHeader ReadBmpHeader(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
    if (size < SizesOffset)
        FailTruncated(fileName);
    const std::uint32_t infoBytes = ReadLittleEndian(data, InfoHeaderSizeOffset, 4);
    const bool coreHeader = infoBytes == CoreHeaderBytes;
    if (size < BmpFileHeaderBytes + (coreHeader ? CoreHeaderBytes : InfoHeaderReadBytes))
        FailTruncated(fileName);

    BmpHeader header{};
    header.pixelDataOffset = ReadLittleEndian(data, PixelDataOffsetOffset, 4);
    if (coreHeader) {
        header.width = ReadLittleEndian(data, SizesOffset, 2);
        header.height = ReadLittleEndian(data, SizesOffset + 2, 2);
        header.bitsPerPixel = ReadLittleEndian(data, SizesOffset + 6, 2);
        header.compression = UncompressedRgb;
    } else {
        header.width = ReadSigned32(data, SizesOffset);
        header.height = ReadSigned32(data, SizesOffset + 4);
        if (header.height < 0)
            header.height = -header.height;
        header.bitsPerPixel = ReadLittleEndian(data, SizesOffset + 10, 2);
        header.compression = ReadLittleEndian(data, SizesOffset + 12, 4);
    }
    return header;
}

// Uncompressed rows have a known size; compressed ones are checked by SDL.
void CheckPixelDataPresent(const BmpHeader& header, std::size_t size, const std::string& fileName) {
    const bool uncompressed =
        header.compression == UncompressedRgb || header.compression == UncompressedBitfields;
    const bool knownDepth = header.bitsPerPixel == 1 || header.bitsPerPixel == 4 ||
                            header.bitsPerPixel == 8 || header.bitsPerPixel == 16 ||
                            header.bitsPerPixel == 24 || header.bitsPerPixel == 32;
    if (!uncompressed || !knownDepth)
        return;
    const std::int64_t rowBytes = (header.width * header.bitsPerPixel + 31) / 32 * 4;
    if (header.pixelDataOffset + rowBytes * header.height > static_cast<std::int64_t>(size))
        FailTruncated(fileName);
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

SurfacePtr ReadRgbSurface(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
    SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (stream == nullptr)
        FailDamaged(fileName, SDL_GetError());
    const SurfacePtr loaded(SDL_LoadBMP_RW(stream, 1)); // 1: SDL closes the stream
    if (!loaded)
        FailDamaged(fileName, SDL_GetError());
    SurfacePtr rgb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGB24, 0));
    if (!rgb)
        FailDamaged(fileName, SDL_GetError());
    return rgb;
}

} // namespace

Picture DecodeBmp(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
    CheckNotEmpty(size, fileName);
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        Fail(fileName, "is not a BMP file");
    if (size > static_cast<std::size_t>(INT_MAX))
        Fail(fileName, "is too large to be a picture");
    const BmpHeader header = ReadBmpHeader(data, size, fileName);
    CheckDimensions(header.width, header.height, fileName);
    CheckPixelDataPresent(header, size, fileName);

    const SurfacePtr surface = ReadRgbSurface(data, size, fileName);
    Picture picture = AllocatePicture(surface->w, surface->h, false);
    const std::size_t rowBytes = static_cast<std::size_t>(surface->w) * 3;
    const auto* source = static_cast<const std::uint8_t*>(surface->pixels);
    for (std::size_t y = 0; y < static_cast<std::size_t>(surface->h); ++y)
        std::memcpy(&picture.Rgb[y * rowBytes], source + y * static_cast<std::size_t>(surface->pitch),
                    rowBytes);
    return picture;
}

} // namespace platform
