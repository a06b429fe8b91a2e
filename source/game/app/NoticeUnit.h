#pragma once
// A notice over the title or the game ("Saved as user-0003", a failed save):
// one line of white text on a dark band across the field, shown for a while.

#include <cstdint>
#include <string>

class TGameRenderer;

// How long a notice stays, in milliseconds.
inline constexpr std::uint32_t NoticeMilliseconds = 2000;
// The notice's band: inside the field's frame, below the line at its top.
inline constexpr double NoticeLeft = 64, NoticeRight = 1008, NoticeY = 80; // pixels
inline constexpr double NoticeZ = 10000;                                   // nearest: in front of everything

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
