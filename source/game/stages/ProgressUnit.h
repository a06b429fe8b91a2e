#pragma once
// The player's progress: which stages are cleared, each one's best result
// (fewest cells edited, then fewest frames to the clear) and the most stars a
// kept clear earned, kept in progress.ini in the user's state folder, one
// section a stage:
//
//     [0001]
//     Cleared = 1
//     BestCells = 4
//     BestFrames = 1520
//     Stars = 2
//
// A file from before the stars has no Stars key; its stages stay cleared with
// their bests (StarsUnit.h gives them their stars).
//
// Written the safe way the options are (a new file, then a rename). A file
// that cannot be read is damaged: it is renamed to progress.ini.bad
// (progress.ini.bad.1, … when that is taken), never overwritten, one log line
// says so, and the progress starts clean. A section holding a value that is no
// count is damaged alone: a copy of the file as it was goes to the first free
// of those names, one log line says so, and the file is saved without the
// damaged sections; every other stage keeps its progress. A damaged file that
// cannot be set aside is never written: the progress of this run stays in
// memory.

#include "platform/IniFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct TStageResult {
    std::int32_t Cells = 0;  // cells the play edited
    std::int32_t Frames = 0; // timed frames from the play's start to the clear

    // Fewer cells wins; with as many cells, fewer frames.
    bool IsBetterThan(const TStageResult& other) const {
        return Cells != other.Cells ? Cells < other.Cells : Frames < other.Frames;
    }
};

class TProgress {
public:
    // Reads `fileName`; a missing file is a first run.
    explicit TProgress(std::string fileName);
    ~TProgress();

    bool IsCleared(const std::string& stage) const;
    std::optional<TStageResult> Best(const std::string& stage) const;
    // The most stars recorded for the stage; none when it was never cleared
    // or cleared before stars were kept.
    std::optional<std::int32_t> Stars(const std::string& stage) const;
    // Marks the stage cleared, keeps the better result and the most stars,
    // and saves the file. A failed save raises Exception naming the file; the
    // progress in memory stays and the next save tries again.
    void RecordClear(const std::string& stage, const TStageResult& result, std::int32_t stars);

    const std::string& FileName() const { return FileName_; }

private:
    std::optional<std::int32_t> ReadCount(const std::string& stage, const char* key) const;
    // What is wrong in the stage's section; none when it reads well.
    std::optional<std::string> SectionFault(const std::string& stage) const;
    void DropDamagedSections();
    void KeepCopyOfDamagedFile(const std::string& faults);
    void SetAsideDamagedFile(const std::string& reason);
    // Saves unless a damaged file could not be set aside; a failure is logged.
    void SaveIfAllowed();

    std::string FileName_;
    std::unique_ptr<platform::IniFile> Ini;
    bool Saving = true; // false while a damaged file could not be set aside
};

// progress.ini in the folder where the log goes.
std::string ProgressFileName();
