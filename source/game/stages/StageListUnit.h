#pragma once
// The stages a player can choose: the shipped ones beside the program
// (stages/0001/, stages/0002/, ...) in the order of the course
// (stages/course.txt, StageCourseUnit.h), then the user's own (user-0001,
// user-0002, ... in $XDG_DATA_HOME/vaporel/stages/) in the order of their
// numbers. A stage is a folder with Map.png, data.xml and the three layer
// pictures; its data.xml may carry a <name> and a one-line <hint> for the
// stage select, and a shipped stage (and a shared one) has its par in par.xml.

#include "game/stages/StageCourseUnit.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TStageInfo {
    std::string Name;   // the folder's name: "0001", "user-0003"
    std::string Folder; // the folder's path, ending in '/'
    std::string Title;  // <name> of data.xml; empty when it has none
    std::string Hint;   // <hint> of data.xml; empty when it has none
    bool IsUser = false;
    std::size_t Place = 0; // 1, 2, ... in the course; 0 for a user stage
    std::string Chapter;   // the course's chapter; empty for a user stage
    std::optional<TStagePar> Par;
};

// The last component of a folder's path: "stages/0001/" gives "0001".
std::string StageFolderName(const std::string& folder);

// Where the game finds the shipped stages: beside the program, where it runs
// (the folder is named relative to it, as the pictures' folder is).
std::string ShippedStagesFolder();
// The stage the game loads while it starts, before any is chosen: its folder
// keeps this name wherever the course places it. A fault in it ends the start.
inline constexpr const char* StartUpStage = "0001";
std::string StartUpStageFolder();
// Where the user's stages live: $XDG_DATA_HOME/vaporel/stages/ (by default
// ~/.local/share/vaporel/stages/); not created here.
std::string UserStagesFolder();

// The prefix of a user stage's name, followed by its number, at least four
// digits (user-0001, user-10000).
inline constexpr const char* UserStagePrefix = "user-";
// The largest number a user stage can have: eighteen digits.
inline constexpr std::uint64_t MaxUserStageNumber = 999'999'999'999'999'999;

// The number of a user stage's name ("user-0012" gives 12); none for a name
// that is not the prefix followed by 1 to 18 digits.
std::optional<std::uint64_t> UserStageNumber(const std::string& name);
// The user stage names among `names` in the order of their numbers (the same
// number written with more zeros after fewer); other names are dropped.
std::vector<std::string> UserStagesInOrder(std::vector<std::string> names);
// The name of the user stage numbered one more than `highest`; raises
// Exception when that passes MaxUserStageNumber.
std::string NextUserStageName(std::uint64_t highest);

class TStageList {
public:
    // Reads the course and both folders. A missing shipped folder gives no
    // shipped stages and a missing user folder no user stages. A course file
    // that cannot be read, or a course stage whose data.xml or par.xml cannot,
    // raises its error (the installation is damaged; a stage's error names
    // course.txt and the line that asks for the stage); a user stage that cannot
    // be read is left out, with a log line naming it. A shipped folder that
    // the course does not name is not offered.
    TStageList(std::string shippedFolder, std::string userFolder);

    const std::vector<TStageInfo>& Stages() const { return Stages_; }
    std::optional<std::size_t> IndexOf(const std::string& name) const;
    const std::string& UserFolder() const { return UserFolder_; }
    // The stages of the course, which come first in Stages().
    std::size_t CourseSize() const { return CourseSize_; }

    // The name the next saved user stage gets: one past the highest user
    // stage found in the folder, also one left out of the list.
    std::string NextUserStageName() const { return ::NextUserStageName(HighestUserNumber); }
    // Adds the user stage just saved under NextUserStageName() to the end of
    // the list, without reading the folder again; raises when it cannot be read.
    void AddUserStage(const std::string& name);

private:
    void ReadCourseStages();
    TStageInfo ReadCourseStage(const std::string& courseFile, const TCourseStage& stage) const;
    void ReadUserStages();

    std::string ShippedFolder_;
    std::string UserFolder_;
    std::vector<TStageInfo> Stages_;
    std::size_t CourseSize_ = 0;
    std::uint64_t HighestUserNumber = 0;
};
