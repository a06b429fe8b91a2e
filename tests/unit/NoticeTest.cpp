#include "game/app/NoticeUnit.h"
#include "game/render/GlyphListsUnit.h"

#include <gtest/gtest.h>

TEST(Notice, StaysUntilItsTimeIsUpAndGoesThenOnce) {
    TNotice notice;
    notice.Show("Saved as user-0003", 1000);
    EXPECT_FALSE(notice.Expire(1000 + NoticeMilliseconds - 1));
    EXPECT_EQ(notice.Text(), "Saved as user-0003");
    EXPECT_TRUE(notice.Expire(1000 + NoticeMilliseconds));
    EXPECT_EQ(notice.Text(), "");
    EXPECT_FALSE(notice.Expire(1000 + NoticeMilliseconds + 1)) << "nothing left to take away";
}

// The millisecond clock wraps after 49 days; a notice shown just before
// stays its whole time across the wrap.
TEST(Notice, KeepsItsTimeAcrossTheClocksWrap) {
    TNotice notice;
    const std::uint32_t shown = 0xFFFFFF00u;
    notice.Show("a failed save", shown);
    EXPECT_FALSE(notice.Expire(0xFFFFFFF0u));
    EXPECT_FALSE(notice.Expire(100));
    EXPECT_TRUE(notice.Expire(shown + NoticeMilliseconds));
}

// A failed save with its path, in a font of 8 pixels a character (14 for
// 'W'): broken after a word where a space fits, inside the path where none
// does, each line within the band and nothing lost.
TEST(Notice, ALongNoticeIsWrappedIntoLinesThatFitTheBand) {
    const TTextWidth width = [](std::string_view line) {
        double pixels = 0;
        for (const char c : line)
            pixels += c == 'W' ? 14 : 8;
        return pixels;
    };
    const std::string path = "/home/player/.local/share/vaporel/stages/" + std::string(120, 'W') + "/Map.png";
    const std::string text = "Write error: cannot write " + path + ": no space left on the device";
    const std::vector<std::string> lines = WrapNoticeText(text, NoticeTextWidth, width);
    ASSERT_GE(lines.size(), 3u);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_LE(width(line), NoticeTextWidth) << line;
        joined += line;
    }
    EXPECT_EQ(joined, text) << "no text lost";
    EXPECT_EQ(lines[0], "Write error: cannot write ") << "the path begins a line of its own";
    EXPECT_GT(width(lines[1] + lines[2][0]), NoticeTextWidth) << "the path fills its first line";
}

// A Japanese notice, 3 bytes and 20 pixels a letter (a byte of a letter cut
// short is drawn as a narrow Latin-1 letter): broken between whole letters,
// never inside one.
TEST(Notice, AJapaneseNoticeIsWrappedBetweenWholeLetters) {
    const TTextWidth width = [](std::string_view line) {
        double pixels = 0;
        for (std::size_t at = 0; at < line.size();)
            pixels += NextCodePoint(line, at) > 0xFF ? 20 : 1;
        return pixels;
    };
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "水";
    const std::vector<std::string> lines = WrapNoticeText(text, NoticeTextWidth, width);
    ASSERT_GE(lines.size(), 2u);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.size() % 3, 0u) << "a letter was cut";
        EXPECT_LE(width(line), NoticeTextWidth);
        joined += line;
    }
    EXPECT_EQ(joined, text);
    EXPECT_GT(width(lines[0] + "水"), NoticeTextWidth) << "the first line is full";
}
