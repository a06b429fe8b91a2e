#include "platform/PictureWriter.h"

#include "platform/CheckedFile.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>

#include <string>
#include <vector>

namespace platform {

namespace {

constexpr int StrongestPngCompression = 9;

void CheckPicture(const Picture& picture, const std::string& fileName) {
    if (picture.Width <= 0 || picture.Height <= 0 ||
        picture.Rgb.size() != static_cast<std::size_t>(picture.Width) * picture.Height * 3 ||
        (picture.HasAlpha() &&
         picture.Alpha.size() != static_cast<std::size_t>(picture.Width) * picture.Height))
        throw PictureError(fileName + ": the picture to write is empty or inconsistent");
}

// RGBA rows from the picture's separate colour and alpha.
std::vector<std::uint8_t> InterleavedRgba(const Picture& picture) {
    std::vector<std::uint8_t> pixels;
    pixels.reserve(picture.Alpha.size() * 4);
    for (std::size_t i = 0; i < picture.Alpha.size(); ++i)
        pixels.insert(pixels.end(),
                      {picture.Rgb[i * 3], picture.Rgb[i * 3 + 1], picture.Rgb[i * 3 + 2], picture.Alpha[i]});
    return pixels;
}

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void FlushNothing(png_structp) {}

// libpng reports through longjmp; this function keeps no object that needs
// its destructor between the setjmp and the calls that may jump.
bool WritePngRows(const std::uint8_t* pixels, int width, int height, bool alpha, std::string& bytes) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &bytes, AppendPngBytes, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, StrongestPngCompression);
    png_write_info(png, info);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * (alpha ? 4 : 3);
    for (int y = 0; y < height; ++y)
        png_write_row(png, pixels + static_cast<std::size_t>(y) * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// The libjpeg error handler must not return; it reports through an exception
// instead of ending the program.
[[noreturn]] void ThrowJpegError(j_common_ptr jpeg) {
    char message[JMSG_LENGTH_MAX];
    (*jpeg->err->format_message)(jpeg, message);
    throw Exception(message);
}

struct JpegCompressor {
    jpeg_compress_struct Jpeg{};
    jpeg_error_mgr Errors{};
    unsigned char* Bytes = nullptr; // jpeg_mem_dest's buffer
    unsigned long Size = 0;

    JpegCompressor() {
        Jpeg.err = jpeg_std_error(&Errors);
        Errors.error_exit = ThrowJpegError;
        jpeg_create_compress(&Jpeg);
        jpeg_mem_dest(&Jpeg, &Bytes, &Size);
    }
    ~JpegCompressor() {
        jpeg_destroy_compress(&Jpeg);
        std::free(Bytes);
    }
    JpegCompressor(const JpegCompressor&) = delete;
    JpegCompressor& operator=(const JpegCompressor&) = delete;
};

} // namespace

void SavePng(const std::string& fileName, const Picture& picture) {
    CheckPicture(picture, fileName);
    const bool alpha = picture.HasAlpha();
    const std::vector<std::uint8_t> pixels = alpha ? InterleavedRgba(picture) : std::vector<std::uint8_t>();
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

std::string EncodePng(const Picture& picture, const std::string& fileName) {
    CheckPicture(picture, fileName);
    const bool alpha = picture.HasAlpha();
    const std::vector<std::uint8_t> rgba = alpha ? InterleavedRgba(picture) : std::vector<std::uint8_t>();
    std::string bytes;
    if (!WritePngRows(alpha ? rgba.data() : picture.Rgb.data(), picture.Width, picture.Height, alpha, bytes))
        throw PictureError(fileName + ": cannot be encoded as PNG");
    return bytes;
}

std::string EncodeJpeg(const Picture& picture, int quality, const std::string& fileName) {
    CheckPicture(picture, fileName);
    try {
        JpegCompressor compressor;
        jpeg_compress_struct& jpeg = compressor.Jpeg;
        jpeg.image_width = static_cast<JDIMENSION>(picture.Width);
        jpeg.image_height = static_cast<JDIMENSION>(picture.Height);
        jpeg.input_components = 3;
        jpeg.in_color_space = JCS_RGB;
        jpeg_set_defaults(&jpeg);
        jpeg_set_quality(&jpeg, quality, TRUE);
        jpeg_start_compress(&jpeg, TRUE);
        const std::size_t rowBytes = static_cast<std::size_t>(picture.Width) * 3;
        while (jpeg.next_scanline < jpeg.image_height) {
            // libjpeg takes rows as writable but only reads them.
            JSAMPROW row = const_cast<JSAMPROW>(&picture.Rgb[jpeg.next_scanline * rowBytes]);
            jpeg_write_scanlines(&jpeg, &row, 1);
        }
        jpeg_finish_compress(&jpeg);
        return std::string(reinterpret_cast<const char*>(compressor.Bytes), compressor.Size);
    } catch (const Exception& error) {
        throw PictureError(fileName + ": cannot be encoded as JPEG (" + error.what() + ")");
    }
}

} // namespace platform
