#include "game/stages/ShareFileUnit.h"

#include "game/core/Utf8TextUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/CheckedFile.h"

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const Magic = "vaporel-stage";
const char* const GameKey = "game";
const char* const StageLine = "stage";
const char* const ProofLine = "proof";
// Names tried after the first one, "-2" to "-99", before a folder is full.
constexpr int MaxShareFileNames = 99;
constexpr std::size_t MaxFileNameStemBytes = 40;

[[noreturn]] void Fail(const std::string& fileName, const std::string& reason) {
    throw EShareFileError(fileName + ": " + EscapeControls(reason));
}

[[noreturn]] void FailAt(const std::string& fileName, std::size_t line, const std::string& reason) {
    Fail(fileName, "line " + std::to_string(line) + ": " + reason);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsSkipped(const std::string& line) {
    return line.empty() || line[0] == '#';
}

// The first line that is no comment from `at` on, numbered from 0; the end
// when there is none.
std::size_t NextLine(const std::vector<std::string>& lines, std::size_t at) {
    while (at < lines.size() && IsSkipped(lines[at]))
        ++at;
    return at;
}

bool IsVersionWord(const std::string& word) {
    if (word.empty() || word.size() > MaxGameVersionBytes)
        return false;
    for (const char c : word)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '+')
            return false;
    return true;
}

// Lines [from, to) of the file as a text of their own that keeps every
// line's number: the lines outside are blank, which both readers skip.
std::string Section(const std::vector<std::string>& lines, std::size_t from, std::size_t to) {
    std::string text(from, '\n');
    for (std::size_t i = from; i < to; ++i)
        text += lines[i] + '\n';
    return text;
}

std::size_t FindLine(const std::vector<std::string>& lines, std::size_t from, const std::string& wanted) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i] == wanted)
            return i;
    return lines.size();
}

void ReadVersionLines(const std::vector<std::string>& lines, std::size_t& at, TSharedStage& shared,
                      const std::string& fileName) {
    at = NextLine(lines, 0);
    const std::string expected = std::string(Magic) + " " + std::to_string(ShareFormatVersion);
    if (at == lines.size() || lines[at].rfind(std::string(Magic) + " ", 0) != 0)
        FailAt(fileName, at + 1, "not a shared stage (its first line must be '" + expected + "')");
    if (lines[at] != expected)
        FailAt(fileName, at + 1,
               "share format " + lines[at].substr(std::string(Magic).size() + 1) +
                   " is not known (this game reads format " + std::to_string(ShareFormatVersion) + ")");
    at = NextLine(lines, at + 1);
    const std::string prefix = std::string(GameKey) + " ";
    if (at == lines.size() || lines[at].rfind(prefix, 0) != 0 ||
        !IsVersionWord(lines[at].substr(prefix.size())))
        FailAt(fileName, at + 1, "expected 'game VERSION', the version of the game that wrote the file");
    shared.GameVersion = lines[at].substr(prefix.size());
    at = NextLine(lines, at + 1);
    if (at == lines.size() || lines[at] != StageLine)
        FailAt(fileName, at + 1, "expected the line 'stage' that starts the stage");
    ++at;
}

void CheckText(const std::string& text, const std::string& fileName) {
    if (text.size() > MaxShareFileBytes)
        Fail(fileName, "too large (" + std::to_string(text.size()) + " bytes; a shared stage has at most " +
                           std::to_string(MaxShareFileBytes) + ")");
    if (const std::optional<std::size_t> bad = FirstBadUtf8Byte(text)) {
        const std::size_t line =
            1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + *bad, '\n'));
        FailAt(fileName, line, "not UTF-8 text");
    }
}

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// The name's ASCII letters and digits in lower case, each run of anything
// else one '-'.
std::string FileNameStem(const std::string& stageName) {
    std::string stem;
    for (const char c : stageName) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && std::isalnum(byte))
            stem += static_cast<char>(std::tolower(byte));
        else if (!stem.empty() && stem.back() != '-')
            stem += '-';
        if (stem.size() >= MaxFileNameStemBytes)
            break;
    }
    while (!stem.empty() && stem.back() == '-')
        stem.pop_back();
    return stem.empty() ? "stage" : stem;
}

// A name in `folder` that names nothing yet.
fs::path FreeShareFilePath(const fs::path& folder, const std::string& stageName) {
    const std::string stem = FileNameStem(stageName);
    for (int number = 1; number <= MaxShareFileNames; ++number) {
        const std::string name = stem + (number == 1 ? "" : "-" + std::to_string(number)) + ShareFileSuffix;
        std::error_code error;
        if (fs::symlink_status(folder / name, error).type() == fs::file_type::not_found)
            return folder / name;
    }
    throw EShareFileError((folder / (stem + ShareFileSuffix)).string() + ": every name up to " + stem + "-" +
                          std::to_string(MaxShareFileNames) + ShareFileSuffix + " is taken");
}

} // namespace

TSharedStage ParseShareFile(const std::string& text, const std::string& fileName) {
    CheckText(text, fileName);
    const std::vector<std::string> lines = SplitLines(text);
    TSharedStage shared;
    std::size_t stageStart = 0;
    ReadVersionLines(lines, stageStart, shared, fileName);
    const std::size_t proofLine = FindLine(lines, stageStart, ProofLine);
    if (proofLine == lines.size())
        Fail(fileName, "no line 'proof' after the stage: the file is cut short");
    try {
        shared.Stage = ParseStageSource(Section(lines, stageStart, proofLine), fileName);
        shared.Proof = ParseReplay(Section(lines, proofLine + 1, lines.size()), fileName);
    } catch (const Exception& error) {
        throw EShareFileError(error.what());
    }
    return shared;
}

TSharedStage ReadShareFile(const std::string& fileName) {
    std::string text;
    try {
        text = platform::ReadCheckedFile(fileName, MaxShareFileBytes);
    } catch (const platform::FileError& error) {
        throw EShareFileError(error.what());
    }
    return ParseShareFile(text, fileName);
}

std::string FormatShareFile(const TStageSource& stage, const TReplay& proof) {
    std::string text = std::string(Magic) + " " + std::to_string(ShareFormatVersion) + "\n" + GameKey + " " +
                       ProgramVersion +
                       "\n# A stage with its proof: the game checks it by playing the proof.\n" + StageLine +
                       "\n" + FormatStageSource(stage) + ProofLine + "\n" + FormatReplay(proof);
    if (text.size() > MaxShareFileBytes)
        throw EShareFileError("The stage \"" + stage.Name + "\" with its proof takes " +
                              std::to_string(text.size()) + " bytes, more than a shared stage may (" +
                              std::to_string(MaxShareFileBytes) + ")");
    return text;
}

std::string WriteShareFile(const TStageSource& stage, const TReplay& proof, const std::string& folder) {
    const std::string text = FormatShareFile(stage, proof);
    try {
        fs::create_directories(folder);
        const fs::path path = FreeShareFilePath(folder, stage.Name);
        platform::ReplaceFileContents(path.string(), text);
        return path.string();
    } catch (const EShareFileError&) {
        throw;
    } catch (const std::exception& error) {
        throw EShareFileError("Cannot write the shared stage into " + folder + ": " + error.what());
    }
}

std::string ShareFileName(const std::string& stageName) {
    return FileNameStem(stageName) + ShareFileSuffix;
}

std::string SharedStageKey(const TStageSource& stage) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, Fnv1a(FormatStageSource(stage)));
    return text;
}
