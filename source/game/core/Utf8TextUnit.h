#pragma once
// UTF-8 as texts from outside must be before they are shown: whole letters,
// no overlong forms, no surrogates, nothing past U+10FFFF.

#include <cstddef>
#include <optional>
#include <string_view>

// The offset of the first byte that does not belong to a valid letter;
// nothing when the whole text is valid UTF-8.
std::optional<std::size_t> FirstBadUtf8Byte(std::string_view text);
// The letters (code points) of valid UTF-8 text: its bytes that start one.
std::size_t Utf8LetterCount(std::string_view text);
