#pragma once
// Program-wide values and the small free functions the whole engine shares.

#include "platform/Exception.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Full path of the running program, and its folder with the trailing '/'.
extern const std::string ExeName;
extern const std::string ExeDir;

// The version of this build ("1.0.0").
extern const std::string ProgramVersion;
// What `program --version` prints: its name, the version and the licence.
std::string VersionText(const std::string& program);

// An installed tree has its data folder at this path relative to the
// programs' folder ("../share/games/vaporel/", fixed when the build was
// configured), marked by a file of this name; a build folder or a portable
// copy has its data beside the program.
extern const std::string InstalledDataPath;
inline constexpr const char* InstalledMarker = "vaporel.installed";
// The folder (with a trailing '/') that holds the data folders of a program
// in `exeDir`: the installed data folder when its marker is there, else
// `exeDir` itself.
std::string DataFolderOf(const std::string& exeDir);
// DataFolderOf(ExeDir): where the running program finds images/, stages/, ...
extern const std::string DataDir;

// Takes a system-wide lock named `name` for the rest of the run; true when
// another process holds it already. When no lock can be made at all, the
// answer is false (the program runs) and `lockProblem` says why; else it is
// left empty.
bool IsAlreadyRunning(const std::string& name, std::string& lockProblem);

// Hides the system cursor for good: steps the display count down while it
// answers 0, so a count that was raised above 1 by someone else stays visible.
void HideCursor();

// Nearest integer with ties to even, whatever rounding mode the caller has set;
// the caller's mode is in force again afterwards, with no floating-point
// exception pending. The one rounding of the engine.
std::int64_t RoundToInt(double value);

// Local time as "Y/M/D hh:mm'ss\"mmm" and "hh:mm'ss\"mmm" (the log's stamps).
std::string DateTimeStamp();
std::string TimeStamp();

std::string IntToText(std::int32_t value);
// Whole-text decimal conversion; nothing when the text is not one 32-bit number.
std::optional<std::int32_t> TextToInt(const std::string& text);

// `text` as it may be shown: every control character (C0, DEL, and C1 written
// in UTF-8 or as a byte 0x80..0x9F outside any UTF-8 sequence) and every character that draws nothing (a
// byte-order mark, a zero-width space or joiner, a direction mark or override, a soft hyphen) becomes "\xNN"
// for each of its bytes. For names and values read from files on their way to a terminal, the log or a
// message box: an escape sequence then cannot set the terminal's title or colours, nor a NUL end the message
// early, and a wrong line shows what is wrong in it.
std::string EscapeControls(std::string_view text);

std::uint16_t Swap16(std::uint16_t value);
std::uint32_t Swap32(std::uint32_t value);

// The text up to and including the last '/', or "" when there is none. Stops at
// a zero byte. UTF-8 continuation bytes are never '/', so a byte scan is exact.
std::string ExtractFolder(const std::string& path);

// `path` with its final ".ext" (if any, in the last component) replaced by `extension`.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// Whether the running program belongs to an installed tree (its data folder
// holds the marker); a build folder or an unpacked portable copy does not.
bool IsInstalledCopy();

// Where a file of the program that it writes lives: in the user's folder of the
// given kind, "$XDG_CONFIG_HOME/vaporel/" for settings or
// "$XDG_STATE_HOME/vaporel/" for logs (created on demand), always for an
// installed copy; beside the program for a build folder or a portable copy,
// unless its folder is not writable.
enum class TUserFolder { Config, State };
std::string ProgramFilePath(const std::string& extension, TUserFolder folder);
// A file of another name in the same folder as ProgramFilePath's: "progress.ini"
// beside the log, "replays/" there.
std::string ProgramFolderPath(const std::string& name, TUserFolder folder);
