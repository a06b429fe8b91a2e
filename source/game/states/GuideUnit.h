#pragma once
// What the game tells a newcomer on screen: how to play under the title, the
// stage's goal at the top of the field when a play starts, and the help panel
// that F1 shows over the title or the game. Texts only in the outline font,
// in the player's language, formatted into buffers of their own: drawing them
// allocates nothing. Key names that read the same in every language (R, F1)
// are not translated.

#include "game/core/PlayerTextUnit.h"

#include <array>
#include <cstdint>
#include <string_view>

class TGameRenderer;
class TVaporelBox;

// Timed frames the goal stands at the top of the field after the water of a
// play starts (five seconds at 60 frames a second).
inline constexpr std::int32_t GoalLineFrames = 300;

inline constexpr std::string_view TitleHint =
    TextId("Draw walls with the mouse: lead the blue water to the outlets, keep the red water out.");
inline constexpr std::string_view TitleHelpKey = TextId("F1: help");
inline constexpr std::string_view HelpTitle = TextId("HOW TO PLAY");
inline constexpr std::string_view GoalFormat =
    TextId("Goal: %d blue drops out through the outlets, before %d red drops get out.");

// A line of text with the stage's numbers in it.
struct TGuideLine {
    std::array<char, 256> Text{}; // room for a Japanese line, three bytes a letter
    std::string_view View() const { return Text.data(); }
};

// GoalFormat in the player's language with the stage's numbers.
TGuideLine GoalLine(std::int32_t blueForClear, std::int32_t etcForEnd);

// A key (or mouse action) of the help panel and what it does, in English.
struct THelpKey {
    std::string_view Key;
    std::string_view Action;
};

inline constexpr THelpKey HelpKeys[] = {
    {TextId("Left drag"), TextId("draws blocks on empty cells and removes blocks")},
    {TextId("1 / 2 / 3 + click"), TextId("makes or removes an outlet / a drain / a source")},
    {TextId("Ctrl + click"), TextId("makes or removes a hidden wall")},
    {TextId("Right button"), TextId("held: the water runs four times as fast")},
    {"R", TextId("pours the water again and keeps your cells")},
    {"L", TextId("the stage as it was")},
    {"Ctrl+Z", TextId("undoes the last stroke")},
    {"Ctrl+S", TextId("saves the map as a stage of your own")},
    {"P", TextId("pauses and resumes the water")},
    {"M", TextId("mutes and unmutes all sound")},
    {"F1", TextId("shows or hides this help")},
    {"F2", TextId("shows or hides the debug lines")},
    {"F4", TextId("full screen and back")},
    {"F5", TextId("starts the stage again")},
    {TextId("Escape"), TextId("ends the game")},
};

// True while the water of the current play has run fewer than
// GoalLineFrames timed frames and the stage is still open.
bool GoalLineVisible(const TVaporelBox& box);

// Below the title picture's upper part: the how-to-play line and "F1: help".
void DrawTitleHint(TGameRenderer& renderer);
// The goal in one line at the top of the field.
void DrawGoalLine(TGameRenderer& renderer, const TVaporelBox& box);
// The goal and every key on a dark panel in the middle of the screen.
void DrawHelpPanel(TGameRenderer& renderer, const TVaporelBox& box);
