#include "CanvasUnit.h"

#include "platform/Exception.h"

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

namespace {

constexpr int JpegQuality = 92;
constexpr int PngCompressionLevel = 9;

std::uint8_t Byte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

std::vector<std::uint8_t> Bytes(const TCanvas& canvas, bool withAlpha) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(canvas.Pixels.size() * (withAlpha ? 4 : 3));
    for (const TRgba& p : canvas.Pixels) {
        bytes.insert(bytes.end(), {Byte(p.r), Byte(p.g), Byte(p.b)});
        if (withAlpha)
            bytes.push_back(Byte(p.a * 255));
    }
    return bytes;
}

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

TFile OpenForWriting(const std::string& fileName) {
    TFile file(std::fopen(fileName.c_str(), "wb"));
    if (!file)
        throw Exception("cannot write " + fileName);
    return file;
}

// A write that ran out of room shows only when the buffered bytes go out.
void Close(TFile file, const std::string& fileName) {
    const bool failed = std::ferror(file.get()) != 0;
    if (std::fclose(file.release()) != 0 || failed)
        throw Exception("cannot write " + fileName);
}

// The libjpeg error handler must not return; it reports through an exception
// instead of ending the program.
[[noreturn]] void ThrowJpegError(j_common_ptr jpeg) {
    char message[JMSG_LENGTH_MAX];
    (*jpeg->err->format_message)(jpeg, message);
    throw Exception(message);
}

struct TJpegCompressor {
    jpeg_compress_struct Jpeg{};
    jpeg_error_mgr Errors{};

    TJpegCompressor() {
        Jpeg.err = jpeg_std_error(&Errors);
        Errors.error_exit = ThrowJpegError;
        jpeg_create_compress(&Jpeg);
    }
    ~TJpegCompressor() { jpeg_destroy_compress(&Jpeg); }
    TJpegCompressor(const TJpegCompressor&) = delete;
    TJpegCompressor& operator=(const TJpegCompressor&) = delete;
};

} // namespace

TRgba Mix(const TRgba& x, const TRgba& y, double t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

void TCanvas::Blend(int x, int y, const TRgba& colour, double cover) {
    if (x < 0 || y < 0 || x >= CanvasWidth || y >= CanvasHeight)
        return;
    TRgba& p = At(x, y);
    const double a = std::clamp(colour.a * cover, 0.0, 1.0);
    const double outA = a + p.a * (1 - a);
    if (outA <= 0) {
        p = TRgba{0, 0, 0, 0};
        return;
    }
    auto channel = [&](double src, double dst) { return (src * a + dst * p.a * (1 - a)) / outA; };
    p = TRgba{channel(colour.r, p.r), channel(colour.g, p.g), channel(colour.b, p.b), outA};
}

void TCanvas::FillRect(int x0, int y0, int x1, int y1, const TRgba& colour) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            Blend(x, y, colour);
}

void TCanvas::FillDisc(double cx, double cy, double radius, const TRgba& colour) {
    for (int y = static_cast<int>(cy - radius - 1); y <= cy + radius + 1; ++y)
        for (int x = static_cast<int>(cx - radius - 1); x <= cx + radius + 1; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            Blend(x, y, colour, std::clamp(radius - d + 0.5, 0.0, 1.0));
        }
}

void WritePng(const TCanvas& canvas, const std::string& fileName, bool withAlpha) {
    const int channels = withAlpha ? 4 : 3;
    const std::vector<std::uint8_t> bytes = Bytes(canvas, withAlpha);
    TFile file = OpenForWriting(fileName);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw Exception("cannot encode " + fileName);
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, CanvasWidth, CanvasHeight, 8,
                 withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, PngCompressionLevel);
    png_write_info(png, info);
    for (int y = 0; y < CanvasHeight; ++y)
        png_write_row(png, &bytes[static_cast<std::size_t>(y) * CanvasWidth * channels]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    Close(std::move(file), fileName);
}

void WriteJpeg(const TCanvas& canvas, const std::string& fileName) {
    std::vector<std::uint8_t> bytes = Bytes(canvas, false);
    TFile file = OpenForWriting(fileName);
    {
        TJpegCompressor compressor;
        jpeg_compress_struct& jpeg = compressor.Jpeg;
        jpeg_stdio_dest(&jpeg, file.get());
        jpeg.image_width = CanvasWidth;
        jpeg.image_height = CanvasHeight;
        jpeg.input_components = 3;
        jpeg.in_color_space = JCS_RGB;
        jpeg_set_defaults(&jpeg);
        jpeg_set_quality(&jpeg, JpegQuality, TRUE);
        jpeg_start_compress(&jpeg, TRUE);
        while (jpeg.next_scanline < jpeg.image_height) {
            JSAMPROW row = &bytes[static_cast<std::size_t>(jpeg.next_scanline) * CanvasWidth * 3];
            jpeg_write_scanlines(&jpeg, &row, 1);
        }
        jpeg_finish_compress(&jpeg);
    }
    Close(std::move(file), fileName);
}
