#include "platform/PictureDecoder.h"

#include "platform/CheckedFile.h"
#include "platform/PictureDecoderDetail.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace picture_detail {

void Fail(const std::string& fileName, const std::string& problem) {
    throw PictureError(fileName + " " + problem);
}

void FailTruncated(const std::string& fileName) {
    Fail(fileName, "is truncated");
}

void FailDamaged(const std::string& fileName, const std::string& detail) {
    Fail(fileName, "is damaged: " + detail);
}

void CheckNotEmpty(std::size_t size, const std::string& fileName) {
    if (size == 0)
        Fail(fileName, "is empty");
}

void CheckDimensions(std::int64_t width, std::int64_t height, const std::string& fileName) {
    const bool sidesInRange =
        width >= 1 && height >= 1 && width <= MaxPictureSide && height <= MaxPictureSide;
    if (!sidesInRange || width * height > MaxPicturePixels)
        Fail(fileName, "has absurd dimensions " + std::to_string(width) + " x " + std::to_string(height));
}

Picture AllocatePicture(int width, int height, bool withAlpha) {
    const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    Picture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Rgb.resize(pixels * 3);
    if (withAlpha)
        picture.Alpha.resize(pixels);
    return picture;
}

} // namespace picture_detail

namespace {

using picture_detail::Fail;

// The largest picture we accept is a 32-bit BMP of MaxPicturePixels; anything
// bigger cannot be a picture we would decode, so it is not read into memory.
constexpr std::uint64_t MaxPictureFileBytes = MaxPicturePixels * 4 + 1024 * 1024; // bytes

// Every file fault becomes a PictureError too, so callers handle one kind.
std::string ReadPictureFile(const std::string& fileName) {
    try {
        return ReadCheckedFile(fileName, MaxPictureFileBytes);
    } catch (const FileError& error) {
        throw PictureError(error.what());
    }
}

using MemoryDecoder = Picture (*)(const std::uint8_t*, std::size_t, const std::string&);

Picture LoadWith(MemoryDecoder decode, const std::string& fileName) {
    const std::string bytes = ReadPictureFile(fileName);
    return decode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), fileName);
}

std::string LowerCaseExtension(const std::string& fileName) {
    const std::size_t dot = fileName.find_last_of("./");
    if (dot == std::string::npos || fileName[dot] != '.')
        return {};
    std::string extension = fileName.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

Picture LoadPng(const std::string& fileName) {
    return LoadWith(DecodePng, fileName);
}
Picture LoadJpeg(const std::string& fileName) {
    return LoadWith(DecodeJpeg, fileName);
}
Picture LoadBmp(const std::string& fileName) {
    return LoadWith(DecodeBmp, fileName);
}

Picture LoadPicture(const std::string& fileName) {
    const std::string extension = LowerCaseExtension(fileName);
    if (extension == ".png")
        return LoadPng(fileName);
    if (extension == ".jpg")
        return LoadJpeg(fileName);
    if (extension == ".bmp")
        return LoadBmp(fileName);
    Fail(fileName, "is not a picture type we read (.png, .jpg or .bmp)");
}

} // namespace platform
