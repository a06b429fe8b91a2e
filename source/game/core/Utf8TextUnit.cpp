#include "game/core/Utf8TextUnit.h"

#include <cstdint>

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the letter that starts at `at`, or 0 when it is not valid.
std::size_t LetterLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return 1;
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size())
        return 0;
    std::uint32_t codePoint = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(byte))
            return 0;
        codePoint = codePoint << 6 | (byte & 0x3Fu);
    }
    constexpr std::uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < Smallest[length] || codePoint > 0x10FFFF || surrogate)
        return 0;
    return length;
}

} // namespace

std::optional<std::size_t> FirstBadUtf8Byte(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = LetterLength(text, at);
        if (length == 0)
            return at;
        at += length;
    }
    return std::nullopt;
}

std::size_t Utf8LetterCount(std::string_view text) {
    std::size_t letters = 0;
    for (const char c : text)
        if (!IsContinuation(static_cast<unsigned char>(c)))
            ++letters;
    return letters;
}
