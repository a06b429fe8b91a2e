#include "platform/PictureDecoder.h"

#include "platform/PictureDecoderDetail.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
constexpr std::int64_t MaxPictureFileBytes = MaxPicturePixels * 4 + 1024 * 1024;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void FailToOpen(const std::string& fileName, const char* reason) {
    throw PictureError("cannot open " + fileName + ": " + reason);
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName) {
    // O_NONBLOCK: a FIFO under a picture's name must not hang the open; it
    // is then refused as not a regular file. Reads of regular files ignore it.
    const FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0)
        FailToOpen(fileName, std::strerror(errno));
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0)
        FailToOpen(fileName, std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        FailToOpen(fileName, "not a regular file");
    if (status.st_size > MaxPictureFileBytes)
        Fail(fileName, "is too large to be a picture (" + std::to_string(status.st_size) + " bytes)");

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail(fileName, std::string("cannot be read: ") + std::strerror(errno));
        if (got == 0)
            break; // the file shrank while we read it; the decoder reports the short data
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

using MemoryDecoder = Picture (*)(const std::uint8_t*, std::size_t, const std::string&);

Picture LoadWith(MemoryDecoder decode, const std::string& fileName) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName);
    return decode(bytes.data(), bytes.size(), fileName);
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
