#include "lib/Z5UtilsUnit.h"

#include "platform/Cursor.h"
#include "platform/InstanceLock.h"
#include "platform/UserFolders.h"

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <memory>
#include <unistd.h>

namespace {

std::string ReadExeName() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

// Held from a successful IsAlreadyRunning until the process ends.
std::unique_ptr<platform::InstanceLock> TheInstanceLock;

struct LocalTime {
    std::tm calendar;
    int milliseconds;
};

LocalTime Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto sinceEpoch = now.time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    LocalTime result{};
    localtime_r(&seconds, &result.calendar);
    result.milliseconds = static_cast<int>(ms);
    return result;
}

std::string FormatTime(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2d:%.2d'%.2d\"%.3d", t.calendar.tm_hour, t.calendar.tm_min,
                  t.calendar.tm_sec, t.milliseconds);
    return text;
}

std::string UserFolder(TUserFolder folder) {
    if (folder == TUserFolder::Config)
        return platform::XdgBaseFolder("XDG_CONFIG_HOME", ".config") + "/vaporel/";
    return platform::XdgBaseFolder("XDG_STATE_HOME", ".local/state") + "/vaporel/";
}

} // namespace

const std::string ExeName = ReadExeName();
const std::string ExeDir = ExtractFolder(ExeName);
const std::string ProgramVersion = VAPOREL_VERSION;
const std::string InstalledDataPath = VAPOREL_DATA_FROM_PROGRAMS;

std::string VersionText(const std::string& program) {
    return program + " " + ProgramVersion + "\nThe Vaporel Vovor of ZANK, under the MIT licence.\n";
}

namespace {

std::string InstalledDataFolderOf(const std::string& exeDir) {
    // The program's own path has no links or "..", so cutting the ".." of the
    // relative path by hand names the same folder.
    return std::filesystem::path(exeDir + InstalledDataPath).lexically_normal().string();
}

bool HasInstalledData(const std::string& exeDir) {
    std::error_code error;
    return !exeDir.empty() && std::filesystem::exists(InstalledDataFolderOf(exeDir) + InstalledMarker, error);
}

} // namespace

std::string DataFolderOf(const std::string& exeDir) {
    return HasInstalledData(exeDir) ? InstalledDataFolderOf(exeDir) : exeDir;
}

const std::string DataDir = DataFolderOf(ExeDir);

bool IsAlreadyRunning(const std::string& name, std::string& lockProblem) {
    using Outcome = platform::InstanceLock::Outcome;
    auto lock = std::make_unique<platform::InstanceLock>(name);
    lockProblem.clear();
    switch (lock->Result()) {
    case Outcome::TakenByAnother: return true;
    case Outcome::Held: TheInstanceLock = std::move(lock); return false;
    case Outcome::Unavailable: break;
    }
    // Refusing to start because the lock cannot be made would leave the
    // player with a game that silently never opens.
    lockProblem = lock->Problem();
    return false;
}

void HideCursor() {
    while (platform::ShowCursor(false) == 0) {
    }
}

std::int64_t RoundToInt(double value) {
    std::fenv_t saved;
    std::feholdexcept(&saved); // saves the caller's modes, stops no exception
    std::fesetround(FE_TONEAREST);
    // volatile keeps the conversion after the mode change
    volatile double input = value;
    const std::int64_t result = std::llrint(input);
    // The caller's rounding mode and traps come back, but no exception stays
    // pending: neither the conversion's nor one the caller had left.
    std::fesetenv(&saved);
    std::feclearexcept(FE_ALL_EXCEPT);
    return result;
}

std::string DateTimeStamp() {
    const LocalTime t = Now();
    char date[32];
    std::snprintf(date, sizeof date, "%d/%d/%d ", t.calendar.tm_year + 1900, t.calendar.tm_mon + 1,
                  t.calendar.tm_mday);
    return date + FormatTime(t);
}

std::string TimeStamp() {
    return FormatTime(Now());
}

std::string IntToText(std::int32_t value) {
    return std::to_string(value);
}

std::optional<std::int32_t> TextToInt(const std::string& text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty())
        return std::nullopt;
    return value;
}

namespace {

// A byte that stands alone: a C0 control, DEL, or a byte 0x80..0x9F outside
// any UTF-8 sequence, which the game's fonts read as a Latin-1 C1 control.
bool IsControl(unsigned char byte) {
    return byte < 0x20 || (byte >= 0x7F && byte <= 0x9F);
}

// Characters beyond ASCII that a reader cannot see: the C1 controls, and
// those that draw nothing yet change what a name looks like or hide what
// follows it.
struct TCodeRange {
    char32_t First;
    char32_t Last;
};
constexpr TCodeRange InvisibleCharacters[] = {
    {0x0080, 0x009F}, // C1 controls
    {0x00AD, 0x00AD}, // soft hyphen
    {0x200B, 0x200F}, // zero-width space and joiners, direction marks
    {0x2028, 0x202E}, // line and paragraph separators, direction embeddings and overrides
    {0x2060, 0x2069}, // word joiner, invisible operators, direction isolates
    {0xFEFF, 0xFEFF}, // byte-order mark
};

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence of two to four bytes at `at`
// and its code point; 0 where none starts.
std::size_t SequenceAt(std::string_view text, std::size_t at, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : (lead & 0xF0) == 0xE0        ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    codePoint = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(byte))
            return 0;
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000}; // shorter forms are not well formed
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint >= Least[length] && codePoint <= 0x10FFFF && !surrogate ? length : 0;
}

bool IsInvisible(char32_t codePoint) {
    return std::any_of(
        std::begin(InvisibleCharacters), std::end(InvisibleCharacters),
        [&](const TCodeRange& range) { return codePoint >= range.First && codePoint <= range.Last; });
}

void AppendEscaped(std::string& out, unsigned char byte) {
    static constexpr char Hex[] = "0123456789abcdef";
    out += "\\x";
    out += Hex[byte >> 4];
    out += Hex[byte & 0xF];
}

} // namespace

std::string EscapeControls(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t codePoint = 0;
        const std::size_t length = std::max<std::size_t>(SequenceAt(text, at, codePoint), 1);
        const std::string_view character = text.substr(at, length);
        if (length == 1 ? IsControl(static_cast<unsigned char>(text[at])) : IsInvisible(codePoint)) {
            for (const char byte : character)
                AppendEscaped(shown, static_cast<unsigned char>(byte));
        } else {
            shown += character;
        }
        at += length;
    }
    return shown;
}

std::uint16_t Swap16(std::uint16_t value) {
    return static_cast<std::uint16_t>((value << 8) | (value >> 8));
}

std::uint32_t Swap32(std::uint32_t value) {
    return __builtin_bswap32(value);
}

std::string ExtractFolder(const std::string& path) {
    std::size_t folderLength = 0;
    for (std::size_t i = 0; i < path.size() && path[i] != '\0'; ++i)
        if (path[i] == '/')
            folderLength = i + 1;
    return path.substr(0, folderLength);
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
    const std::size_t nameStart = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    const std::size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    return (hasExtension ? path.substr(0, dot) : path) + extension;
}

bool IsInstalledCopy() {
    return HasInstalledData(ExeDir);
}

std::string ProgramFilePath(const std::string& extension, TUserFolder folder) {
    const std::string besideProgram = ChangeFileExt(ExeName, extension);
    // An installed program never writes into its own folder, even one the
    // user may write to (under ~/.local): a reinstall or uninstall would lose
    // or leave behind what it wrote there.
    const bool installed = IsInstalledCopy();
    if (!installed && (ExeDir.empty() || access(ExeDir.c_str(), W_OK) == 0))
        return besideProgram;
    const std::string userFolder = UserFolder(folder);
    std::error_code error;
    std::filesystem::create_directories(userFolder, error);
    if (error && !installed)
        return besideProgram; // nowhere better: the caller's own failure rules apply
    return userFolder + besideProgram.substr(ExeDir.size());
}

std::string ProgramFolderPath(const std::string& name, TUserFolder folder) {
    return ExtractFolder(ProgramFilePath(".", folder)) + name;
}
