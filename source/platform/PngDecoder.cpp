// PNG through libpng. libpng reports errors by longjmp, so every call into it
// runs inside a small function whose frame holds only trivially destructible
// locals: the jump skips no destructor, and the C++ side (RAII owner of the
// libpng structs, the pixel buffers, the exception) lives outside those frames.

#include "platform/PictureDecoder.h"

#include "platform/PictureDecoderDetail.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

using namespace picture_detail;

constexpr std::size_t PngSignatureBytes = 8;
// Deflate turns one input byte into at most 1032 output bytes (two 1-bit
// codes for a 258-byte match), so the file must hold at least this share of
// the image data it claims: a small file claiming a huge picture is cut short.
constexpr std::uint64_t MaxInflateRatio = 1032;
constexpr int RgbChannels = 3;
constexpr int RgbaChannels = 4;

// What the libpng callbacks share with us; plain data, safe across longjmp.
struct PngContext {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
    bool truncated;
    char message[256];
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto& context = *static_cast<PngContext*>(png_get_io_ptr(png));
    if (count > context.size - context.offset) {
        context.truncated = true;
        png_error(png, "unexpected end of data");
    }
    std::memcpy(out, context.data + context.offset, count);
    context.offset += count;
}

void OnPngError(png_structp png, png_const_charp message) {
    auto& context = *static_cast<PngContext*>(png_get_error_ptr(png));
    std::snprintf(context.message, sizeof context.message, "%s", message);
    png_longjmp(png, 1);
}

// Damaged ancillary chunks are dropped by libpng; the picture itself is fine.
void IgnorePngWarning(png_structp, png_const_charp) {}

class PngReader {
public:
    explicit PngReader(PngContext& context) {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &context, OnPngError, IgnorePngWarning);
        if (png_ != nullptr)
            info_ = png_create_info_struct(png_);
        if (info_ == nullptr) {
            png_destroy_read_struct(&png_, nullptr, nullptr);
            throw PictureError("out of memory for the PNG reader");
        }
        png_set_read_fn(png_, &context, ReadFromMemory);
        // Our own dimension check gives the clearer message, so lift libpng's.
        png_set_user_limits(png_, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    }
    ~PngReader() { png_destroy_read_struct(&png_, &info_, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    png_structp Png() const { return png_; }
    png_infop Info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

struct PngHeader {
    png_uint_32 width;
    png_uint_32 height;
    std::size_t sourceRowBytes;
    bool hasTransparency;
};

bool ReadPngHeader(png_structp png, png_infop info, PngHeader& header) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_sig_bytes(png, static_cast<int>(PngSignatureBytes));
    png_read_info(png, info);
    header.width = png_get_image_width(png, info);
    header.height = png_get_image_height(png, info);
    header.sourceRowBytes = png_get_rowbytes(png, info);
    header.hasTransparency = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0 ||
                             png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    return true;
}

// Everything becomes 8-bit RGB, plus alpha when the picture carries any.
bool ReadPngPixels(png_structp png, png_infop info, png_bytepp rows, std::size_t expectedRowBytes) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_expand(png); // palette -> RGB, 1/2/4-bit grey -> 8 bits, tRNS -> alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != expectedRowBytes)
        png_error(png, "unexpected pixel layout after conversion");
    png_read_image(png, rows);
    return true;
}

[[noreturn]] void FailPng(const PngContext& context, const std::string& fileName) {
    if (context.truncated)
        FailTruncated(fileName);
    FailDamaged(fileName, context.message);
}

void SplitAlpha(const std::vector<std::uint8_t>& rgba, Picture& picture) {
    const std::size_t pixels = picture.Alpha.size();
    for (std::size_t i = 0; i < pixels; ++i) {
        std::memcpy(&picture.Rgb[i * RgbChannels], &rgba[i * RgbaChannels], RgbChannels);
        picture.Alpha[i] = rgba[i * RgbaChannels + RgbChannels];
    }
}

} // namespace

Picture DecodePng(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
    CheckNotEmpty(size, fileName);
    if (size < PngSignatureBytes || png_sig_cmp(data, 0, PngSignatureBytes) != 0)
        Fail(fileName, "is not a PNG file");

    PngContext context{data, size, PngSignatureBytes, false, {}};
    const PngReader reader(context);
    PngHeader header{};
    if (!ReadPngHeader(reader.Png(), reader.Info(), header))
        FailPng(context, fileName);
    CheckDimensions(header.width, header.height, fileName);
    if (static_cast<std::uint64_t>(header.sourceRowBytes) * header.height > size * MaxInflateRatio)
        FailTruncated(fileName);

    Picture picture = AllocatePicture(static_cast<int>(header.width), static_cast<int>(header.height),
                                      header.hasTransparency);
    const int channels = header.hasTransparency ? RgbaChannels : RgbChannels;
    const std::size_t rowBytes = static_cast<std::size_t>(header.width) * channels;
    // Without alpha libpng writes straight into the picture; with it into a
    // scratch RGBA buffer that is split afterwards.
    std::vector<std::uint8_t> rgba(header.hasTransparency ? rowBytes * header.height : 0);
    std::uint8_t* const pixels = header.hasTransparency ? rgba.data() : picture.Rgb.data();
    std::vector<png_bytep> rows(header.height);
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = pixels + y * rowBytes;

    if (!ReadPngPixels(reader.Png(), reader.Info(), rows.data(), rowBytes))
        FailPng(context, fileName);
    if (header.hasTransparency)
        SplitAlpha(rgba, picture);
    return picture;
}

} // namespace platform
