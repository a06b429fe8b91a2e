#include "game/stages/ReplayUnit.h"

#include "lib/Z5UtilsUnit.h"
#include "platform/CheckedFile.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <optional>
#include <set>
#include <sstream>
#include <utility>

namespace {

const char* const Magic = "vaporel-replay";
constexpr std::int32_t Version = 1;
const char* const WriterComment = "# written by vaporel ";

const char* const ActionNames[] = {"cell", "reset", "reload", "pour"};
static_assert(std::size(ActionNames) == akPour + 1);

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream stream(line);
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

template <typename Number> std::optional<Number> ParseWhole(const std::string& text, int base = 10) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// Reads the lines of one file in order, skipping comments and blank lines,
// and words every error with the file and the line it stands on.
class TReplayReader {
public:
    TReplayReader(const std::string& text, std::string fileName)
        : Stream(text), FileName(std::move(fileName)) {}

    // The next line's words; false at the end of the text.
    bool Next(std::vector<std::string>& words) {
        for (std::string line; std::getline(Stream, line);) {
            ++LineNumber;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            words = SplitWords(line);
            if (!words.empty() && words[0][0] != '#')
                return true;
        }
        ++LineNumber; // errors at the end name the line after the last
        return false;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw EReplayError(FileName + ": line " + std::to_string(LineNumber) + ": " + EscapeControls(what));
    }

    template <typename Number>
    Number Whole(const std::string& text, const char* what, Number least, Number most) const {
        const std::optional<Number> value = ParseWhole<Number>(text);
        if (!value)
            Fail(std::string(what) + " is not a number: '" + text + "'");
        if (*value < least || *value > most)
            Fail(std::string(what) + " must lie between " + std::to_string(least) + " and " +
                 std::to_string(most) + ": " + text);
        return *value;
    }

    void ExpectWords(const std::vector<std::string>& words, std::size_t count, const char* form) const {
        if (words.size() != count)
            Fail(std::string("expected '") + form + "'");
    }

private:
    std::istringstream Stream;
    std::string FileName;
    std::int32_t LineNumber = 0;
};

constexpr std::int32_t MaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t MinInt = std::numeric_limits<std::int32_t>::min();

void ReadHeader(TReplayReader& reader, TReplay& replay) {
    std::vector<std::string> words;
    if (!reader.Next(words) || words.size() != 2 || words[0] != Magic)
        reader.Fail("not a replay (the first line must be 'vaporel-replay 1')");
    if (words[1] != std::to_string(Version))
        reader.Fail("replay version " + words[1] + " is not known (this program reads version 1)");
    if (!reader.Next(words) || words[0] != "stage")
        reader.Fail("expected 'stage NAME'");
    reader.ExpectWords(words, 2, "stage NAME");
    if (!IsStageName(words[1]))
        reader.Fail("'" + words[1] + "' is no stage name (letters, digits, '-' and '_')");
    replay.Stage = words[1];
    if (!reader.Next(words) || words[0] != "seed")
        reader.Fail("expected 'seed N'");
    reader.ExpectWords(words, 2, "seed N");
    replay.Seed =
        reader.Whole<std::uint32_t>(words[1], "the seed", 0, std::numeric_limits<std::uint32_t>::max());
}

TBoxAction ReadAction(const TReplayReader& reader, const std::vector<std::string>& words) {
    const std::string& name = words[1];
    if (name == "cell") {
        reader.ExpectWords(words, 5, "F cell COL ROW TYPE");
        return TBoxAction{
            akCell, reader.Whole(words[2], "the column", 0, MapColumns - 1),
            reader.Whole(words[3], "the row", 0, MapRows - 1),
            static_cast<TCellType>(reader.Whole(words[4], "the cell type", 0, CellTypeCount - 1))};
    }
    if (name == "pour") {
        reader.ExpectWords(words, 4, "F pour X Y");
        return TBoxAction{akPour, reader.Whole(words[2], "x", MinInt, MaxInt),
                          reader.Whole(words[3], "y", MinInt, MaxInt)};
    }
    if (name == "reset" || name == "reload") {
        reader.ExpectWords(words, 2, name == "reset" ? "F reset" : "F reload");
        return TBoxAction{name == "reset" ? akReset : akReload};
    }
    reader.Fail("unknown action '" + name + "'");
}

std::uint64_t ReadEndHash(const TReplayReader& reader, const std::vector<std::string>& words) {
    reader.ExpectWords(words, 3, "F end hash=H");
    const std::string& field = words[2];
    const std::string prefix = "hash=";
    const std::string digits = field.substr(std::min(field.size(), prefix.size()));
    const std::optional<std::uint64_t> hash = ParseWhole<std::uint64_t>(digits, 16);
    if (field.rfind(prefix, 0) != 0 || digits.size() != 16 || !hash)
        reader.Fail("the end's hash must be 'hash=' and 16 hexadecimal digits: '" + field + "'");
    return *hash;
}

// The actions, then the end line, which must be the last.
void ReadSteps(TReplayReader& reader, TReplay& replay) {
    std::vector<std::string> words;
    std::int32_t lastFrame = 0; // an end with no action before it may come at frame 0
    std::int32_t actionsBeforeFrame = 0;
    for (;;) {
        if (!reader.Next(words))
            reader.Fail("the end line ('F end hash=H') is missing: the replay is cut short");
        if (words.size() < 2)
            reader.Fail("expected 'F ACTION ...'");
        const std::int32_t frame =
            reader.Whole(words[0], "the frame", words[1] == "end" ? 0 : 1, MaxReplayFrames);
        if (frame < lastFrame)
            reader.Fail("frame " + words[0] + " comes after frame " + std::to_string(lastFrame));
        actionsBeforeFrame = frame == lastFrame ? actionsBeforeFrame + 1 : 1;
        if (actionsBeforeFrame > MaxReplayActionsPerFrame && words[1] != "end")
            reader.Fail("more than " + std::to_string(MaxReplayActionsPerFrame) + " actions before frame " +
                        words[0]);
        if (words[1] == "end") {
            replay.EndFrame = frame;
            replay.EndHash = ReadEndHash(reader, words);
            break;
        }
        replay.Steps.push_back(TReplayStep{frame, ReadAction(reader, words)});
        lastFrame = frame;
    }
    if (reader.Next(words))
        reader.Fail("a line after the end line");
}

} // namespace

std::int32_t TReplay::EditedCellCount() const {
    std::set<std::pair<std::int32_t, std::int32_t>> cells;
    for (const TReplayStep& step : Steps)
        if (step.Action.Kind == akCell)
            cells.insert({step.Action.X, step.Action.Y});
    return static_cast<std::int32_t>(cells.size());
}

bool IsStageName(const std::string& name) {
    if (name.empty() || name.size() > 64)
        return false;
    for (const char c : name) {
        const bool fits = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_';
        if (!fits)
            return false;
    }
    return true;
}

TReplay ParseReplay(const std::string& text, const std::string& fileName) {
    TReplayReader reader(text, fileName);
    TReplay replay;
    ReadHeader(reader, replay);
    ReadSteps(reader, replay);
    return replay;
}

TReplay LoadReplay(const std::string& fileName) {
    try {
        return ParseReplay(platform::ReadCheckedFile(fileName, MaxReplayFileBytes), fileName);
    } catch (const platform::FileError& error) {
        throw EReplayError(error.what());
    }
}

std::string HashText(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, hash);
    return text;
}

std::string FormatReplay(const TReplay& replay) {
    std::ostringstream text;
    // The writer's version is a comment: replays of any version read alike.
    text << Magic << ' ' << Version << '\n' << WriterComment << ProgramVersion << "\nstage " << replay.Stage << "\nseed " << replay.Seed << '\n';
    for (const TReplayStep& step : replay.Steps) {
        const TBoxAction& action = step.Action;
        text << step.Frame << ' ' << ActionNames[action.Kind];
        if (action.Kind == akCell)
            text << ' ' << action.X << ' ' << action.Y << ' ' << static_cast<int>(action.Type);
        else if (action.Kind == akPour)
            text << ' ' << action.X << ' ' << action.Y;
        text << '\n';
    }
    text << replay.EndFrame << " end hash=" << HashText(replay.EndHash) << '\n';
    return text.str();
}

void SaveReplay(const TReplay& replay, const std::string& fileName) {
    try {
        platform::ReplaceFileContents(fileName, FormatReplay(replay));
    } catch (const platform::FileError& error) {
        throw EReplayError("Cannot write the replay " + fileName + ": " + error.what());
    }
}
