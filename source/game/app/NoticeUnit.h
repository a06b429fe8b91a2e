#pragma once
// A notice over the title or the game ("Saved as user-0003", a failed save
// with its path): white text on a dark band across the field, shown for a
// while, on as many lines as it takes.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TGameRenderer;

// How long a notice stays, in milliseconds.
inline constexpr std::uint32_t NoticeMilliseconds = 2000;
// The notice's band: inside the field's frame, below the line at its top.
inline constexpr double NoticeLeft = 64, NoticeRight = 1008, NoticeY = 80; // pixels
inline constexpr double NoticeIndent = 16; // pixels from the band's edges to the text
inline constexpr double NoticeTextWidth = NoticeRight - NoticeLeft - 2 * NoticeIndent;
inline constexpr double NoticeZ = 10000; // nearest: in front of everything

// Pixels a line of text takes.
using TTextWidth = std::function<double(std::string_view)>;

// `text` broken into lines no wider than `width`: after the last space that
// fits, or, in a word longer than a line (a path), at the last character
// that fits. A line keeps the space it ends with, so the lines together are
// the text; each line holds at least one character.
std::vector<std::string> WrapNoticeText(std::string_view text, double width, const TTextWidth& textWidth);

class TNotice {
public:
    // Shows `text` from `now` (milliseconds of the clock) for NoticeMilliseconds.
    void Show(const std::string& text, std::uint32_t now);
    // Takes the notice away once its time is up at `now`; true when it went.
    bool Expire(std::uint32_t now);
    // The notice shown now, or "".
    const std::string& Text() const { return Text_; }
    // Nothing when no notice is shown. Ends in the resting state.
    void Draw(TGameRenderer& renderer) const;

private:
    std::string Text_;
    std::uint32_t End = 0; // the clock's time when the notice goes
};
