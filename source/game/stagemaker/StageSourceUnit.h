#pragma once
// The designer's text form of a stage, and the data.xml made from it.
//
//   # a comment line; blank lines are ignored
//   name The Tower              (UTF-8, at most 40 letters)
//   hint Keep the red water away from the outlets.   (at most 120 letters)
//   par 4 42.5                  (the par: cells edited, seconds to the clear)
//   blue_water_num 800          (the ten parameters of data.xml, each once,
//   ...                          in any order, written as data.xml reads them,
//                                each within its range)
//   map
//   wwww.......               (49 lines of 65 characters, one a cell)
//
// Cells: '.' empty, '#' block, 'w' hidden wall, 'O' outlet, 'D' drain,
// 'S' source. Column 64 and row 48 lie beyond the 1024 x 768 pictures and are
// always empty ('.'). Columns 0-3 (under the gauges) and column 63 (under the
// frame) of rows 0-47 are hidden walls ('w'), as the pictures show them.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline constexpr int StageColumns = 65; // cells, as the box's map
inline constexpr int StageRows = 49;
inline constexpr int PictureColumns = 64; // cells the 1024 x 768 pictures cover
inline constexpr int PictureRows = 48;
inline constexpr int GaugeColumns = 4; // hidden-wall columns under the gauge panel
// The longest name and hint, in letters (code points of UTF-8).
inline constexpr std::size_t MaxStageNameLetters = 40;
inline constexpr std::size_t MaxStageHintLetters = 120;
// The most water a stage's counts may name.
inline constexpr int MaxStageWater = 4000;

// The character of each kind of cell, in the order of the water's cell types
// (empty, block, hidden wall, outlet, drain, source).
inline constexpr std::string_view StageCellCharacters = ".#wODS";

// [row][column], one character a cell.
using TStageMap = std::array<std::string, StageRows>;

struct TStageSource {
    std::string Name;
    std::string Hint;
    // The ten parameters in data.xml's order, each with its text as written.
    std::vector<std::pair<std::string, std::string>> Parameters;
    std::string ParCells;   // a count, as written
    std::string ParSeconds; // more than 0, at most an hour, as written
    TStageMap Map;

    bool operator==(const TStageSource&) const = default;
};

// data.xml's ten keys in the order the loader reads them.
std::vector<const char*> StageParameterKeys();

// Raise an Exception naming the source (and the line, where there is one).
TStageSource ParseStageSource(const std::string& text, const std::string& sourceName);
TStageSource ReadStageSource(const std::string& fileName);
// The text form again, which ParseStageSource reads back as `source`.
std::string FormatStageSource(const TStageSource& source);

// The stage's data.xml: a comment naming the stage folder `stageName` and
// the stage, the ten parameters, then <name> and <hint>.
std::string StageDataXml(const TStageSource& source, const std::string& stageName);
// The stage's par.xml, read by the game's stage list: <par> with <cells> and
// <seconds>.
std::string StageParXml(const TStageSource& source, const std::string& stageName);
