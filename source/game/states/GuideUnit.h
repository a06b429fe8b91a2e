#pragma once
// What the game tells a newcomer on screen: how to play under the title, the
// stage's goal at the top of the field when a play starts, and the help panel
// that F1 shows over the title or the game. Texts only in the outline font,
// formatted into buffers of their own: drawing them allocates nothing.

#include <array>
#include <cstdint>
#include <string_view>

class TGameRenderer;
class TVaporelBox;
struct TTextColor;

// Timed frames the goal stands at the top of the field after the water of a
// play starts (five seconds at 60 frames a second).
inline constexpr std::int32_t GoalLineFrames = 300;

inline constexpr std::string_view TitleHint =
    "Draw walls with the mouse: lead the blue water to the outlets, keep the red water out.";
inline constexpr std::string_view TitleHelpKey = "F1: help";

// A line of text with the stage's numbers in it.
struct TGuideLine {
    std::array<char, 128> Text{};
    std::string_view View() const { return Text.data(); }
};

// "Goal: N blue drops out through the outlets, before M red drops get out."
TGuideLine GoalLine(std::int32_t blueForClear, std::int32_t etcForEnd);

// A key (or mouse action) of the help panel and what it does.
struct THelpKey {
    std::string_view Key;
    std::string_view Action;
};

inline constexpr THelpKey HelpKeys[] = {
    {"Left / Right, wheel", "on the title: chooses the stage; a left click plays it"},
    {"Left drag", "draws blocks on empty cells and removes blocks"},
    {"1 / 2 / 3 + click", "makes or removes an outlet / a drain / a source"},
    {"Ctrl + click", "makes or removes a hidden wall"},
    {"Right button", "held: the water runs four times as fast"},
    {"R", "pours the water again and keeps your cells"},
    {"L", "the stage as it was"},
    {"T", "after a loss: the same stage again, with your cells"},
    {"Ctrl+Z", "undoes the last stroke"},
    {"Ctrl+S", "saves the map as a stage of your own"},
    {"P", "pauses and resumes the water"},
    {"M", "mutes and unmutes all sound"},
    {"F1", "shows or hides this help"},
    {"F2", "shows or hides the debug lines"},
    {"F4", "full screen and back"},
    {"F5", "starts the stage again"},
    {"Escape", "ends the game"},
};

// What the cells do, and the water, one line each.
inline constexpr THelpKey HelpCells[] = {
    {"Outlet", "lets water out: blue towards the clear, red towards the loss"},
    {"Drain", "swallows water and gives it back to the pipe"},
    {"Source", "pours water that is free (not out, not in the box)"},
    {"Hidden wall", "faint glass: holds water like a block"},
    {"The water", "is a fixed amount: what went out is gone for the play"},
};

// True while the water of the current play has run fewer than
// GoalLineFrames timed frames and the stage is still open.
bool GoalLineVisible(const TVaporelBox& box);

// Below the title picture's upper part: the how-to-play line and "F1: help".
void DrawTitleHint(TGameRenderer& renderer);
// The goal in one line at the top of the field.
void DrawGoalLine(TGameRenderer& renderer, const TVaporelBox& box);
// The goal, every key and what the cells do on a dark panel in the middle of
// the screen.
void DrawHelpPanel(TGameRenderer& renderer, const TVaporelBox& box);
// A line centred over the field right of the gauge panel, on a dark plate,
// its baseline at `baseline`.
void DrawFieldLine(TGameRenderer& renderer, std::string_view text, double baseline, const TTextColor& color);
// A small crossed-out speaker at the top right of the screen: the sound is muted.
void DrawMutedSign(TGameRenderer& renderer);
