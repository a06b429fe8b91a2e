#pragma once
// What the game tells a newcomer on screen: how to play under the title, the
// stage's goal at the top of the field when a play starts, and the help panel
// that F1 shows over the title or the game. Texts only in the outline font,
// in the player's language, formatted into buffers of their own: drawing them
// allocates nothing. Key names that read the same in every language (R, F1)
// are not translated.

#include "game/texts/PlayerTextsUnit.h"

#include <cstdint>
#include <string_view>

class TGameRenderer;
class TVaporelBox;
struct TTextColor;

// Timed frames the goal stands at the top of the field after the water of a
// play starts (five seconds at 60 frames a second).
inline constexpr std::int32_t GoalLineFrames = 300;

inline constexpr std::string_view TitleHint =
    TextId("Draw walls with the mouse: lead the blue water to the outlets, keep the red water out.");
inline constexpr std::string_view TitleHelpKey = TextId("F1: help");
inline constexpr std::string_view HelpTitle = TextId("HOW TO PLAY");
inline constexpr std::string_view GoalFormat =
    TextId("Goal: %d blue drops out through the outlets, before %d red drops get out.");
// The goal where the pool holds no red water, which cannot be lost.
inline constexpr std::string_view BlueGoalFormat = TextId("Goal: %d blue drops out through the outlets.");

// The stage's goal in the player's language with its numbers; the red water's
// limit only where the pool holds red water.
TPlayerLine GoalLine(const TVaporelBox& box);

// A key (or mouse action) of the help panel and what it does, in English.
struct THelpKey {
    std::string_view Key;
    std::string_view Action;
};

inline constexpr THelpKey HelpKeys[] = {
    {TextId("Left / Right, wheel"), TextId("on the title: chooses the stage; a left click plays it")},
    {TextId("Left drag"), TextId("draws blocks on empty cells and removes blocks")},
    {TextId("1 / 2 / 3 + click"), TextId("makes or removes an outlet / a drain / a source")},
    {TextId("Ctrl + click"), TextId("makes or removes a hidden wall")},
    {TextId("Right button"), TextId("held: the water runs four times as fast")},
    {"R", TextId("pours the water again and keeps your cells")},
    {"L", TextId("the stage as it was")},
    {"T", TextId("after a loss: the same stage again, with your cells")},
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

// The editor's keys.
inline constexpr THelpKey EditorHelpKeys[] = {
    {TextId("E, on the title"), TextId("opens the editor")},
    {TextId("Left drag"), TextId("paints the tool's cells; a right drag empties them")},
    {TextId("0 to 5"), TextId("tool: empty, block, hidden wall, outlet, drain, source")},
    {"F", TextId("fill: a drag paints a rectangle")},
    {TextId("Up / Down"), TextId("chooses one of the ten numbers")},
    {TextId("Left / Right"), TextId("changes it (with Shift ten steps); Home / End: its ends")},
    {"N / H", TextId("types the name / the hint; Enter keeps it")},
    {"Ctrl+Z / Ctrl+Y", TextId("undoes / redoes a step")},
    {"Ctrl+N / Ctrl+O", TextId("a blank stage / a copy of the stage chosen on the title")},
    {"Tab", TextId("moves the panel to the top, hides it, brings it back")},
    {"F5", TextId("test play; a kept clear proves the stage")},
    {"F6", TextId("publishes the proved stage as a share file")},
    {TextId("Escape"), TextId("back to the title; in a test play, back to the editor")},
    {"F1", TextId("shows or hides this help")},
};
inline constexpr std::string_view EditorHelpTitle = TextId("THE EDITOR");

// What the cells do, and the water, one line each.
inline constexpr THelpKey HelpCells[] = {
    {TextId("Outlet"), TextId("lets water out: blue towards the clear, red towards the loss")},
    {TextId("Drain"), TextId("swallows water and gives it back to the pipe")},
    {TextId("Source"), TextId("pours water that is free (not out, not in the box)")},
    {TextId("Hidden wall"), TextId("faint glass: holds water like a block")},
    {TextId("The water"), TextId("is a fixed amount: what went out is gone for the play")},
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
// The editor's keys and what the cells do, on the same panel.
void DrawEditorHelpPanel(TGameRenderer& renderer);
// A line centred over the field right of the gauge panel, on a dark plate,
// its baseline at `baseline`.
void DrawFieldLine(TGameRenderer& renderer, std::string_view text, double baseline, const TTextColor& color);
// A small crossed-out speaker at the top right of the screen: the sound is muted.
void DrawMutedSign(TGameRenderer& renderer);
