#include "PictureWriter.h"

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <stdexcept>

namespace test_pictures {

namespace {

void AppendToBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

void WritePngChunks(png_structp png, png_infop info, const PngImage& image, png_bytepp rows) {
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                 image.bitDepth, image.colourType,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (const Rgb& entry : image.palette)
        palette.push_back({entry[0], entry[1], entry[2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_color_16 key{};
    if (image.transparentKey) {
        key.gray = key.red = (*image.transparentKey)[0];
        key.green = (*image.transparentKey)[1];
        key.blue = (*image.transparentKey)[2];
    }
    if (!image.paletteAlpha.empty() || image.transparentKey)
        png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()), &key);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
}

bool WritePng(png_structp png, png_infop info, const PngImage& image, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    WritePngChunks(png, info, image, rows);
    return true;
}

void PutLittleEndian(Bytes& out, std::size_t offset, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutBigEndian(Bytes& out, std::size_t offset, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
}

} // namespace

Bytes PackSamples(const std::vector<std::uint16_t>& samples, int bitDepth) {
    Bytes row;
    if (bitDepth == 16) {
        for (std::uint16_t sample : samples) {
            row.push_back(static_cast<std::uint8_t>(sample >> 8));
            row.push_back(static_cast<std::uint8_t>(sample));
        }
        return row;
    }
    const int perByte = 8 / bitDepth;
    row.assign((samples.size() + perByte - 1) / perByte, 0);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const int shift = 8 - bitDepth * (static_cast<int>(i % perByte) + 1);
        row[i / perByte] |= static_cast<std::uint8_t>(samples[i] << shift);
    }
    return row;
}

Bytes EncodePng(const PngImage& image) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendToBytes, NoFlush);
    std::vector<png_bytep> rows;
    for (const Bytes& row : image.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    const bool written = WritePng(png, info, image, rows.data());
    png_destroy_write_struct(&png, &info);
    if (!written)
        throw std::runtime_error("libpng could not write the test picture");
    return out;
}

Bytes EncodeJpeg(int width, int height, const Bytes& pixels, const JpegOptions& options) {
    // The standard error handler exits the process; the parameters here are
    // fixed by the tests, so a failure is a broken test, not a case to handle.
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = options.grey ? 1 : 3;
    info.in_color_space = options.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (options.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(info.input_components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&pixels[info.next_scanline * rowBytes]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Bytes EncodeBmp(const BmpImage& image) {
    constexpr std::size_t FileHeaderBytes = 14;
    constexpr std::size_t InfoHeaderBytes = 40;
    const std::size_t paletteBytes = image.bitsPerPixel == 8 ? image.palette.size() * 4 : 0;
    const std::size_t offset = FileHeaderBytes + InfoHeaderBytes + paletteBytes;
    const std::size_t pixelBytes = static_cast<std::size_t>(image.bitsPerPixel / 8);
    const std::size_t rowBytes = (static_cast<std::size_t>(image.width) * pixelBytes + 3) / 4 * 4;
    const std::size_t height = static_cast<std::size_t>(image.height);

    Bytes out(offset + rowBytes * height, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLittleEndian(out, 2, static_cast<std::uint32_t>(out.size()), 4);
    PutLittleEndian(out, 10, static_cast<std::uint32_t>(offset), 4);
    PutLittleEndian(out, 14, InfoHeaderBytes, 4);
    SetBmpSize(out, image.width, image.topDown ? -image.height : image.height);
    PutLittleEndian(out, 26, 1, 2); // planes
    PutLittleEndian(out, 28, static_cast<std::uint32_t>(image.bitsPerPixel), 2);
    PutLittleEndian(out, 46, static_cast<std::uint32_t>(image.palette.size()), 4);
    for (std::size_t i = 0; i < image.palette.size() && paletteBytes > 0; ++i) {
        const std::size_t at = FileHeaderBytes + InfoHeaderBytes + i * 4;
        out[at + 0] = image.palette[i][2];
        out[at + 1] = image.palette[i][1];
        out[at + 2] = image.palette[i][0];
    }
    for (std::size_t y = 0; y < height; ++y) {
        const std::size_t fileRow = image.topDown ? y : height - 1 - y;
        for (std::size_t x = 0; x < static_cast<std::size_t>(image.width); ++x) {
            const std::uint8_t* source =
                &image.pixels[(y * static_cast<std::size_t>(image.width) + x) * pixelBytes];
            std::uint8_t* target = &out[offset + fileRow * rowBytes + x * pixelBytes];
            std::memcpy(target, source, pixelBytes);
            if (pixelBytes >= 3)
                std::swap(target[0], target[2]); // the file stores blue first
        }
    }
    return out;
}

void SetPngSize(Bytes& png, std::uint32_t width, std::uint32_t height) {
    constexpr std::size_t HeaderTypeAt = 12; // after the signature and the chunk length
    constexpr std::size_t HeaderDataBytes = 13;
    PutBigEndian(png, HeaderTypeAt + 4, width, 4);
    PutBigEndian(png, HeaderTypeAt + 8, height, 4);
    const auto crc = crc32(0, &png[HeaderTypeAt], static_cast<uInt>(4 + HeaderDataBytes));
    PutBigEndian(png, HeaderTypeAt + 4 + HeaderDataBytes, static_cast<std::uint32_t>(crc), 4);
}

void SetJpegSize(Bytes& jpeg, std::uint16_t width, std::uint16_t height) {
    // Frame headers SOF0..SOF2 hold precision, height, width after the length.
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2) {
            PutBigEndian(jpeg, i + 5, height, 2);
            PutBigEndian(jpeg, i + 7, width, 2);
            return;
        }
    }
    throw std::runtime_error("no frame header in the test JPEG");
}

void SetBmpSize(Bytes& bmp, std::int32_t width, std::int32_t height) {
    PutLittleEndian(bmp, 18, static_cast<std::uint32_t>(width), 4);
    PutLittleEndian(bmp, 22, static_cast<std::uint32_t>(height), 4);
}

} // namespace test_pictures
