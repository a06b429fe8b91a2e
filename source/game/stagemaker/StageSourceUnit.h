#pragma once
// The designer's text form of a stage, and the data.xml made from it.
//
//   # a comment line; blank lines are ignored
//   name The Tower
//   hint Keep the red water away from the outlets.
//   par 4 42.5                  (the par: cells edited, seconds to the clear)
//   blue_water_num 800          (the ten parameters of data.xml, each once,
//   ...                          in any order, written as data.xml reads them)
//   map
//   wwww.......               (49 lines of 65 characters, one a cell)
//
// Cells: '.' empty, '#' block, 'w' hidden wall, 'O' outlet, 'D' drain,
// 'S' source. Column 64 and row 48 lie beyond the 1024 x 768 pictures and are
// always empty ('.'). Columns 0-3 (under the gauges) and column 63 (under the
// frame) of rows 0-47 are hidden walls ('w'), as the pictures show them.

#include <array>
#include <string>
#include <utility>
#include <vector>

inline constexpr int StageColumns = 65; // cells, as the box's map
inline constexpr int StageRows = 49;
inline constexpr int PictureColumns = 64; // cells the 1024 x 768 pictures cover
inline constexpr int PictureRows = 48;
inline constexpr int GaugeColumns = 4; // hidden-wall columns under the gauge panel

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
};

// Raise an Exception naming the source (and the line, where there is one).
TStageSource ParseStageSource(const std::string& text, const std::string& sourceName);
TStageSource ReadStageSource(const std::string& fileName);

// The stage's data.xml: a comment naming the stage folder `stageName` and
// the stage, the ten parameters, then <name> and <hint>.
std::string StageDataXml(const TStageSource& source, const std::string& stageName);
// The stage's par.xml, read by the game's stage list: <par> with <cells> and
// <seconds>.
std::string StageParXml(const TStageSource& source, const std::string& stageName);
