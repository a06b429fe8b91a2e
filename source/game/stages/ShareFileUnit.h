#pragma once
// A shared stage: one UTF-8 text file that a person can read, mail or paste,
// holding a stage in the stage maker's text form and its proof, the replay of
// a play that kept the clear. It holds no pictures (they are drawn again from
// the map) and names no path: the game names the folder a stage goes to.
//
//     vaporel-stage 1
//     game 1.0.0
//     stage
//     name Mind the Gap
//     hint The water finds every hole.
//     par 4 7.0
//     blue_water_num 400
//     ...                      (the ten numbers, as the stage maker reads them)
//     map
//     wwww.......              (49 lines of 65 cells)
//     proof
//     vaporel-replay 1
//     stage 0004
//     seed 0
//     1 cell 29 20 1
//     395 end hash=0c1d2e3f40516273
//
// The first line gives the file's format version, the second the version of
// the game that wrote it. '#' starts a comment line and blank lines are
// ignored, above the stage and in the proof; lines end in LF, a CR before it
// is allowed. The whole file is at most 64 KiB.

#include "game/stagemaker/StageSourceUnit.h"
#include "game/stages/ReplayUnit.h"
#include "platform/Exception.h"

#include <cstdint>
#include <string>

inline constexpr std::uint64_t MaxShareFileBytes = 64 * 1024;
inline constexpr int ShareFormatVersion = 1;
// A game version is a short word: "1.0.0", "1.2.0-rc1".
inline constexpr std::size_t MaxGameVersionBytes = 32;
// What a written share file is called after: "mind-the-gap.vaporel.txt".
inline constexpr const char* ShareFileSuffix = ".vaporel.txt";

// A share file that cannot be read, does not fit, or whose proof does not
// hold; the message is one line naming the file and the reason.
class EShareFileError : public Exception {
public:
    using Exception::Exception;
};

struct TSharedStage {
    TStageSource Stage;
    TReplay Proof;
    std::string GameVersion; // of the game that wrote the file

    bool operator==(const TSharedStage&) const = default;
};

// The text of a share file; `fileName` is named in the errors.
TSharedStage ParseShareFile(const std::string& text, const std::string& fileName);
// Reads at most MaxShareFileBytes; raises EShareFileError naming the file.
TSharedStage ReadShareFile(const std::string& fileName);

// The share file's text, written by this game's version; raises
// EShareFileError when it would pass MaxShareFileBytes.
std::string FormatShareFile(const TStageSource& stage, const TReplay& proof);

// Writes the share file of `stage` and `proof` into `folder` (made when
// missing) under a new name made from the stage's name, never over another
// file, and answers its path. Raises EShareFileError saying what failed.
std::string WriteShareFile(const TStageSource& stage, const TReplay& proof, const std::string& folder);

// The file name a stage's share file is written under first: its name's
// letters and digits in lower case, words joined by '-', and the suffix
// ("stage" when the name has no such letter).
std::string ShareFileName(const std::string& stageName);

// The same stage gives the same key, whoever wrote its file: the stage's
// text form, hashed (FNV-1a, 16 hexadecimal digits).
std::string SharedStageKey(const TStageSource& stage);
