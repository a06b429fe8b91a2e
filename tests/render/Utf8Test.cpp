// Reading the characters of a line of UTF-8 text, as the fonts draw them.

#include "game/render/GlyphListsUnit.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace {

std::vector<char32_t> CodePoints(std::string_view text) {
    std::vector<char32_t> codes;
    for (std::size_t at = 0; at < text.size();)
        codes.push_back(NextCodePoint(text, at));
    return codes;
}

using Codes = std::vector<char32_t>;

TEST(Utf8, WellFormedSequencesOfEveryLengthAreOneCharacterEach) {
    EXPECT_EQ(CodePoints("A\xC3\xA9\xE6\xB0\xB4\xF0\x9F\x92\xA7"), (Codes{U'A', 0xE9, 0x6C34, 0x1F4A7}));
    EXPECT_EQ(CodePoints("\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF"),
              (Codes{0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10FFFF}))
        << "the edges of each length";
}

TEST(Utf8, ABrokenSequenceGivesItsLeadByteAsLatin1AndGoesOnAfterIt) {
    EXPECT_EQ(CodePoints("\xE6\xB0"), (Codes{0xE6, 0xB0})) << "cut short at the end";
    EXPECT_EQ(CodePoints("\xE6"
                         "A\xB4"),
              (Codes{0xE6, U'A', 0xB4}))
        << "a character where a trail byte belongs";
    EXPECT_EQ(CodePoints("\x80\xBF"), (Codes{0x80, 0xBF})) << "trail bytes alone";
    EXPECT_EQ(CodePoints("caf\xE9"), (Codes{U'c', U'a', U'f', 0xE9})) << "a Latin-1 text reads as it did";
    EXPECT_EQ(CodePoints("\xFF\xFE"), (Codes{0xFF, 0xFE})) << "bytes that lead nothing";
}

TEST(Utf8, OverlongSurrogateAndTooLargeFormsAreNotCharacters) {
    EXPECT_EQ(CodePoints("\xC0\x80"), (Codes{0xC0, 0x80})) << "an overlong NUL";
    EXPECT_EQ(CodePoints("\xE0\x80\xAF"), (Codes{0xE0, 0x80, 0xAF})) << "an overlong slash";
    EXPECT_EQ(CodePoints("\xED\xA0\x80"), (Codes{0xED, 0xA0, 0x80})) << "a surrogate";
    EXPECT_EQ(CodePoints("\xF4\x90\x80\x80"), (Codes{0xF4, 0x90, 0x80, 0x80})) << "past U+10FFFF";
}

} // namespace
