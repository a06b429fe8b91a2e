// JPEG through libjpeg-turbo. libjpeg reports errors through its error_exit
// hook, which here longjmps back into the small function that made the call;
// those frames hold only trivially destructible locals, so the jump skips no
// destructor. The decompressor itself is owned by an RAII object.

#include "platform/PictureDecoder.h"

#include "platform/PictureDecoderDetail.h"

#include <cstdio> // jpeglib.h needs FILE declared first
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>

namespace platform {

namespace {

using namespace picture_detail;

constexpr std::uint8_t JpegStartOfImage[] = {0xFF, 0xD8};
constexpr int RgbChannels = 3;
// A progressive file may repeat scans without end, each one costing a pass
// over the whole picture; real encoders write about ten.
constexpr int MaxJpegScans = 500;

enum class JpegFailure { Damaged, Truncated, TooManyScans };

// The error manager first, so libjpeg's pointer to it is a pointer to us.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    JpegFailure failure;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void AbortJpeg(j_common_ptr info, JpegFailure failure) {
    auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    errors->failure = failure;
    std::longjmp(errors->jump, 1);
}

void OnJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    errors->base.format_message(info, errors->message);
    AbortJpeg(info, JpegFailure::Damaged);
}

// libjpeg pads a file that ends early with an end marker and only warns; we
// want no half-grey picture, so running out of data is an error here. Other
// warnings (stray bytes between markers) leave a correct picture.
void OnJpegMessage(j_common_ptr info, int level) {
    const bool isWarning = level < 0;
    if (isWarning && info->err->msg_code == JWRN_JPEG_EOF)
        AbortJpeg(info, JpegFailure::Truncated);
}

void OnJpegProgress(j_common_ptr info) {
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > MaxJpegScans)
        AbortJpeg(info, JpegFailure::TooManyScans);
}

class JpegReader {
public:
    explicit JpegReader(JpegErrorManager& errors) {
        info_.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = OnJpegError;
        errors.base.emit_message = OnJpegMessage;
        progress_.progress_monitor = OnJpegProgress;
    }
    // Safe also when creation never ran or failed half-way: it then finds no
    // memory manager and has nothing to free.
    ~JpegReader() { jpeg_destroy_decompress(&info_); }
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;

    j_decompress_ptr Info() { return &info_; }
    jpeg_progress_mgr* Progress() { return &progress_; }

private:
    jpeg_decompress_struct info_{};
    jpeg_progress_mgr progress_{};
};

bool ReadJpegHeader(JpegReader& reader, JpegErrorManager& errors, const std::uint8_t* data,
                    std::size_t size) {
    if (setjmp(errors.jump))
        return false;
    jpeg_create_decompress(reader.Info());
    reader.Info()->progress = reader.Progress();
    jpeg_mem_src(reader.Info(), data, static_cast<unsigned long>(size));
    jpeg_read_header(reader.Info(), TRUE);
    return true;
}

bool HasRgbConvertibleColours(j_decompress_ptr info) {
    switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB: return true;
    default: return false;
    }
}

bool ReadJpegPixels(j_decompress_ptr info, JpegErrorManager& errors, std::uint8_t* pixels) {
    if (setjmp(errors.jump))
        return false;
    info->out_color_space = JCS_RGB;
    jpeg_start_decompress(info);
    if (info->output_components != RgbChannels)
        ERREXIT(info, JERR_CONVERSION_NOTIMPL);
    const std::size_t rowBytes = static_cast<std::size_t>(info->output_width) * RgbChannels;
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = pixels + info->output_scanline * rowBytes;
        jpeg_read_scanlines(info, &row, 1);
    }
    // jpeg_finish_decompress is left out on purpose: it would only look for
    // the end marker, and a picture complete without one is still complete.
    return true;
}

[[noreturn]] void FailJpeg(const JpegErrorManager& errors, const std::string& fileName) {
    switch (errors.failure) {
    case JpegFailure::Truncated: FailTruncated(fileName);
    case JpegFailure::TooManyScans:
        Fail(fileName, "has more than " + std::to_string(MaxJpegScans) + " scans");
    case JpegFailure::Damaged: break;
    }
    FailDamaged(fileName, errors.message);
}

} // namespace

Picture DecodeJpeg(const std::uint8_t* data, std::size_t size, const std::string& fileName) {
    CheckNotEmpty(size, fileName);
    if (size < sizeof JpegStartOfImage || data[0] != JpegStartOfImage[0] || data[1] != JpegStartOfImage[1])
        Fail(fileName, "is not a JPEG file");

    JpegErrorManager errors{};
    JpegReader reader(errors);
    if (!ReadJpegHeader(reader, errors, data, size))
        FailJpeg(errors, fileName);
    j_decompress_ptr info = reader.Info();
    CheckDimensions(info->image_width, info->image_height, fileName);
    if (!HasRgbConvertibleColours(info))
        Fail(fileName, "uses a colour space we do not read (only grey, YCbCr and RGB)");

    Picture picture =
        AllocatePicture(static_cast<int>(info->image_width), static_cast<int>(info->image_height), false);
    if (!ReadJpegPixels(info, errors, picture.Rgb.data()))
        FailJpeg(errors, fileName);
    return picture;
}

} // namespace platform
