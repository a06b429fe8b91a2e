#pragma once
// A replay: one play of a stage as a text file, exact enough that running it
// again gives the same water to the bit. The file names the stage and the
// random generator's state at the play's start, then every action that
// changed the box with the timed frame it came before, and last the frame the
// play ended after with the hash of the water there:
//
//     vaporel-replay 1
//     # written by vaporel 1.0.0
//     stage 0001
//     seed 0
//     1 cell 12 30 1
//     240 reset
//     300 pour 512 100
//     410 reload
//     2999 end hash=7e9e5d4e99664cb5
//
// UTF-8, lines end in LF (a CR before it is allowed), '#' starts a comment
// line, blank lines are ignored. Frames count from 1 and never go backwards.
// The comment under the first line names the version of the program that
// wrote the file; a replay of any version plays.

#include "game/water/VaporelBoxUnit.h"
#include "platform/Exception.h"

#include <cstdint>
#include <string>
#include <vector>

// A replay is a few lines per edit; this bounds what a damaged one can cost.
inline constexpr std::uint64_t MaxReplayFileBytes = 16 * 1024 * 1024;
// So does its length: at most one hour of timed frames at 60 a second, and
// at most this many actions before one frame (a map has 3,185 cells; a
// paused play may take many strokes before its next frame).
inline constexpr std::int32_t MaxReplayFrames = 60 * 60 * 60;
inline constexpr std::int32_t MaxReplayActionsPerFrame = 10'000;

// A replay that cannot be read or does not fit; the message is one line that
// names the file and, for a bad line, its number.
class EReplayError : public Exception {
public:
    using Exception::Exception;
};

struct TReplayStep {
    std::int32_t Frame = 1; // the timed frame of the play the action came before
    TBoxAction Action;

    bool operator==(const TReplayStep&) const = default;
};

struct TReplay {
    std::string Stage;      // the stage folder's name: "0001", "user-0003"
    std::uint32_t Seed = 0; // RandSeed() before the box restarted the stage
    std::vector<TReplayStep> Steps;
    std::int32_t EndFrame = 0;  // the last timed frame that ran
    std::uint64_t EndHash = 0;  // TVaporelBox::WaterHash() after it

    bool operator==(const TReplay&) const = default;
    // The cells the play's edits touched, each counted once.
    std::int32_t EditedCellCount() const;
};

// A stage name fit for a replay: letters, digits, '-' and '_' only, so that it
// is also a file name (replays/<stage>.txt).
bool IsStageName(const std::string& name);

// The text of a file; `fileName` is named in the errors.
TReplay ParseReplay(const std::string& text, const std::string& fileName);
TReplay LoadReplay(const std::string& fileName);

std::string FormatReplay(const TReplay& replay);
// Writes a new file beside `fileName` and renames it over, so a failed write
// leaves the old file whole; raises EReplayError naming the file.
void SaveReplay(const TReplay& replay, const std::string& fileName);

// The hash as the replay and vaporel-sim write it: 16 lower-case hex digits.
std::string HashText(std::uint64_t hash);
