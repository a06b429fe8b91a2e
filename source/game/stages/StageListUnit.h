#pragma once
// The stages a player can choose: the shipped ones beside the program
// (stages/0001/, stages/0002/, ...) in the order of their names, then the
// user's own (user-0001, user-0002, ... in $XDG_DATA_HOME/vaporel/stages/).
// A stage is a folder with Map.png, data.xml and the three layer pictures;
// its data.xml may carry a <name> and a one-line <hint> for the stage select.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct TStageInfo {
    std::string Name;   // the folder's name: "0001", "user-0003"
    std::string Folder; // the folder's path, ending in '/'
    std::string Title;  // <name> of data.xml; empty when it has none
    std::string Hint;   // <hint> of data.xml; empty when it has none
    bool IsUser = false;
};

// The last component of a folder's path: "stages/0001/" gives "0001".
std::string StageFolderName(const std::string& folder);

// Where the game finds the shipped stages: beside the program.
std::string ShippedStagesFolder();
// Where the user's stages live: $XDG_DATA_HOME/vaporel/stages/ (by default
// ~/.local/share/vaporel/stages/); not created here.
std::string UserStagesFolder();

// The prefix of a user stage's name, followed by four digits.
inline constexpr const char* UserStagePrefix = "user-";

class TStageList {
public:
    // Reads both folders. A missing folder gives no stages; a stage folder
    // whose data.xml cannot be read is left out, with a log line naming it.
    TStageList(std::string shippedFolder, std::string userFolder);

    // Reads the folders again (after a stage was saved).
    void Rescan();

    const std::vector<TStageInfo>& Stages() const { return Stages_; }
    std::optional<std::size_t> IndexOf(const std::string& name) const;
    const std::string& UserFolder() const { return UserFolder_; }

private:
    void ScanFolder(const std::string& folder, bool isUser);

    std::string ShippedFolder_;
    std::string UserFolder_;
    std::vector<TStageInfo> Stages_;
};
