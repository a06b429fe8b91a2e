#include "game/stagemaker/StageSourceUnit.h"

#include "game/core/Utf8TextUnit.h"
#include "lib/Z5EasyXMLUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/CheckedFile.h"
#include "platform/Exception.h"

#include <algorithm>
#include <optional>
#include <sstream>

namespace {

enum TParameterType { ptInteger, ptReal };

struct TParameterKey {
    const char* Key;
    TParameterType Type;
    // The values a stage may take: its water stays within what a box runs
    // at play speed, and a drop never passes a cell in one frame.
    double Least;
    double Most;
};

// data.xml's keys in the order the loader reads them.
constexpr std::array<TParameterKey, 10> ParameterKeys = {{
    {"blue_water_num", ptInteger, 0, MaxStageWater},
    {"blue_water_num_for_clear", ptInteger, 1, MaxStageWater},
    {"etc_water_num_for_end", ptInteger, 1, MaxStageWater},
    {"water_particle_num", ptInteger, 1, MaxStageWater},
    {"water_radius", ptInteger, 1, 7},
    {"water_max_velocity", ptReal, 0.1, 15},
    {"water_gravity", ptReal, 0, 8},
    {"water_velocity_decay_rate", ptReal, 0, 1},
    {"water_shake_velocity", ptReal, 0, 8},
    {"water_swap_frequency", ptReal, 0, 1},
}};

constexpr double MaxParSeconds = 3600; // the game's stage list takes no longer par
constexpr std::int32_t MaxParCells = StageColumns * StageRows;
constexpr std::size_t MaxSourceBytes = 64 * 1024; // a stage source is about 4 KiB

// Reads the lines of a source and says where an error lies.
class TSourceLines {
public:
    TSourceLines(const std::string& text, std::string sourceName) : SourceName(std::move(sourceName)) {
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            Lines.push_back(line);
        }
    }

    bool AtEnd() const { return Next >= Lines.size(); }
    const std::string& Take() { return Lines[Next++]; }
    // The line taken last, numbered from 1.
    std::size_t LineNumber() const { return Next; }

    [[noreturn]] void Fail(const std::string& message) const {
        throw Exception(SourceName + ":" + std::to_string(LineNumber()) + ": " + EscapeControls(message));
    }
    [[noreturn]] void FailWhole(const std::string& message) const {
        throw Exception(SourceName + ": " + EscapeControls(message));
    }

private:
    std::string SourceName;
    std::vector<std::string> Lines;
    std::size_t Next = 0;
};

const TParameterKey* FindParameterKey(const std::string& key) {
    const auto found = std::find_if(ParameterKeys.begin(), ParameterKeys.end(),
                                    [&](const TParameterKey& k) { return key == k.Key; });
    return found == ParameterKeys.end() ? nullptr : &*found;
}

// The loader's own conversion decides what a value may be.
void CheckParameterValue(const TParameterKey& key, const std::string& value, const TSourceLines& lines) {
    double number = 0;
    try {
        const TXmlValue text(value);
        number = key.Type == ptInteger ? text.ToInteger() : text.ToReal();
    } catch (const EConvertError& error) {
        lines.Fail(std::string(key.Key) + ": " + error.what());
    }
    if (number < key.Least || number > key.Most) {
        std::ostringstream range;
        range << key.Key << " must lie between " << key.Least << " and " << key.Most << ": " << value;
        lines.Fail(range.str());
    }
}

void CheckText(const std::string& key, const std::string& value, const TSourceLines& lines) {
    if (value.empty())
        lines.Fail(key + " is empty");
    if (FirstBadUtf8Byte(value))
        lines.Fail(key + " is not UTF-8 text");
    if (std::any_of(value.begin(), value.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
        lines.Fail(key + " holds a control character");
    const std::size_t most = key == "name" ? MaxStageNameLetters : MaxStageHintLetters;
    if (Utf8LetterCount(value) > most)
        lines.Fail(key + " is longer than " + std::to_string(most) + " letters");
    // The name also stands in data.xml's comment, where "--" would end it.
    if (key == "name" && value.find("--") != std::string::npos)
        lines.Fail("name may not hold \"--\"");
}

// "par CELLS SECONDS", each read as the game's stage list reads it.
void ReadPar(const std::string& value, TStageSource& source, const TSourceLines& lines) {
    std::istringstream words(value);
    std::string cells, seconds, rest;
    words >> cells >> seconds;
    if (seconds.empty() || words >> rest)
        lines.Fail("par needs two values: the cells and the seconds");
    try {
        const double time = TXmlValue(seconds).ToReal();
        const std::int32_t count = TXmlValue(cells).ToInteger();
        if (count < 0 || count > MaxParCells || !(time > 0 && time <= MaxParSeconds))
            lines.Fail("par: the cells must be a count and the seconds more than 0, at most an hour (and the "
                       "cells at most " +
                       std::to_string(MaxParCells) + ")");
    } catch (const EConvertError& error) {
        lines.Fail(std::string("par: ") + error.what());
    }
    source.ParCells = cells;
    source.ParSeconds = seconds;
}

// Header lines up to "map": the name, the hint, the par and the ten parameters.
void ReadHeader(TSourceLines& lines, TStageSource& source) {
    std::array<std::optional<std::string>, ParameterKeys.size()> values;
    std::optional<std::string> name, hint, par;
    for (;;) {
        if (lines.AtEnd())
            lines.FailWhole("no \"map\" line");
        const std::string& line = lines.Take();
        if (line.empty() || line[0] == '#')
            continue;
        if (line == "map")
            break;
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
        std::optional<std::string>* slot = nullptr;
        if (key == "name" || key == "hint") {
            CheckText(key, value, lines);
            slot = key == "name" ? &name : &hint;
        } else if (key == "par") {
            ReadPar(value, source, lines);
            slot = &par;
        } else if (const TParameterKey* parameter = FindParameterKey(key)) {
            CheckParameterValue(*parameter, value, lines);
            slot = &values[static_cast<std::size_t>(parameter - ParameterKeys.data())];
        } else
            lines.Fail("unknown key \"" + key + "\"");
        if (*slot)
            lines.Fail("\"" + key + "\" given twice");
        *slot = value;
    }
    const std::pair<const char*, const std::optional<std::string>*> required[] = {
        {"name", &name}, {"hint", &hint}, {"par", &par}};
    for (const auto& [key, given] : required)
        if (!*given)
            lines.FailWhole(std::string("no \"") + key + "\" line");
    source.Name = *name;
    source.Hint = *hint;
    for (std::size_t i = 0; i < ParameterKeys.size(); ++i) {
        if (!values[i])
            lines.FailWhole(std::string("no \"") + ParameterKeys[i].Key + "\" line");
        source.Parameters.emplace_back(ParameterKeys[i].Key, *values[i]);
    }
}

bool IsFrameCell(int column, int row) {
    return row < PictureRows && (column < GaugeColumns || column == PictureColumns - 1);
}

bool IsBeyondPictures(int column, int row) {
    return column >= PictureColumns || row >= PictureRows;
}

void CheckMapLine(const std::string& line, int row, const TSourceLines& lines) {
    if (line.size() != StageColumns)
        lines.Fail("a map line has " + std::to_string(StageColumns) + " cells, this one " +
                   std::to_string(line.size()));
    for (int column = 0; column < StageColumns; ++column) {
        const char cell = line[static_cast<std::size_t>(column)];
        const std::string where = " at column " + std::to_string(column);
        if (StageCellCharacters.find(cell) == std::string_view::npos)
            lines.Fail(std::string("unknown cell '") + cell + "'" + where);
        if (IsBeyondPictures(column, row) && cell != '.')
            lines.Fail("column 64 and row 48 are always empty ('.')" + where);
        if (IsFrameCell(column, row) && cell != 'w')
            lines.Fail("columns 0-3 and 63 lie under the gauges and the frame: hidden walls ('w')" + where);
    }
}

void ReadMap(TSourceLines& lines, TStageSource& source) {
    for (int row = 0; row < StageRows; ++row) {
        if (lines.AtEnd())
            lines.FailWhole("the map has " + std::to_string(row) + " lines, not " +
                            std::to_string(StageRows));
        source.Map[static_cast<std::size_t>(row)] = lines.Take();
        CheckMapLine(source.Map[static_cast<std::size_t>(row)], row, lines);
    }
    while (!lines.AtEnd())
        if (!lines.Take().empty())
            lines.Fail("text after the map's " + std::to_string(StageRows) + " lines");
}

std::string EscapeXml(const std::string& text) {
    std::string escaped;
    for (const char c : text)
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped += c;
        }
    return escaped;
}

std::string Element(const std::string& key, const std::string& text) {
    return "  <" + key + ">" + text + "</" + key + ">\n";
}

} // namespace

std::vector<const char*> StageParameterKeys() {
    std::vector<const char*> keys;
    for (const TParameterKey& key : ParameterKeys)
        keys.push_back(key.Key);
    return keys;
}

TStageSource ParseStageSource(const std::string& text, const std::string& sourceName) {
    TSourceLines lines(text, sourceName);
    TStageSource source;
    ReadHeader(lines, source);
    ReadMap(lines, source);
    return source;
}

TStageSource ReadStageSource(const std::string& fileName) {
    return ParseStageSource(platform::ReadCheckedFile(fileName, MaxSourceBytes), fileName);
}

std::string StageDataXml(const TStageSource& source, const std::string& stageName) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Stage " + stageName + ", \"" +
                      source.Name +
                      "\". Ten parameters; units are pixels and frames (60 a second). -->\n<stage>\n";
    for (const auto& [key, value] : source.Parameters)
        xml += Element(key, value);
    xml += Element("name", EscapeXml(source.Name));
    xml += Element("hint", EscapeXml(source.Hint));
    return xml + "</stage>\n";
}

std::string StageParXml(const TStageSource& source, const std::string& stageName) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Stage " + stageName +
           "'s par: cells edited, seconds from the start to the clear. -->\n<par>\n" +
           Element("cells", source.ParCells) + Element("seconds", source.ParSeconds) + "</par>\n";
}

std::string FormatStageSource(const TStageSource& source) {
    std::string text = "name " + source.Name + "\nhint " + source.Hint + "\npar " + source.ParCells + " " +
                       source.ParSeconds + "\n";
    for (const auto& [key, value] : source.Parameters)
        text += key + " " + value + "\n";
    text += "map\n";
    for (const std::string& row : source.Map)
        text += row + "\n";
    return text;
}
