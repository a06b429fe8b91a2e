// The same bytes go to every picture decoder. Each must either hand back a
// well-formed picture or raise PictureError; a crash, a leak, a sanitizer
// report, another exception or an inconsistent picture is a finding.

#include "platform/PictureDecoder.h"

#include <cstdint>
#include <cstdlib>

namespace {

void CheckWellFormed(const platform::Picture& picture) {
    const auto pixels = static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height);
    const bool sizesAgree =
        picture.Rgb.size() == pixels * 3 && (!picture.HasAlpha() || picture.Alpha.size() == pixels);
    if (picture.Width <= 0 || picture.Height <= 0 || !sizesAgree)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const auto decode : {platform::DecodePng, platform::DecodeJpeg, platform::DecodeBmp}) {
        try {
            CheckWellFormed(decode(data, size, "fuzz input"));
        } catch (const platform::PictureError&) {
            // rejected cleanly: the expected answer for most inputs
        }
    }
    return 0;
}
