#pragma once
// Saving the map being played as a stage of the user's own: a new folder
// (user-0001, user-0002, ...: StageListUnit.h names them) with the map as Map.png, the played stage's
// data.xml and layer pictures, and the replay of the play so far. A shared
// stage becomes a user stage the same way, its pictures drawn from its map.

#include "game/stages/ReplayUnit.h"
#include "game/stages/ShareFileUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/PictureDecoder.h"

#include <optional>
#include <string>
#include <vector>

// The colours the map picture gives each cell type; loading the picture
// gives the same types back.
platform::Picture MapPicture(const TVaporelBox& box);

// Writes the stage into `userFolder` (created when missing) as the folder
// `name`, under a temporary name first and renamed when whole, so a failure
// (a full disk, a read-only folder, a folder of that name in the way) leaves
// nothing behind; raises Exception saying what failed.
void SaveUserStage(const TVaporelBox& box, const TReplay& play, const std::string& userFolder,
                   const std::string& name);

// The file of a shared stage's folder that holds its key (SharedStageKey), so
// that the same stage added again is found.
inline constexpr const char* SharedKeyFileName = "shared-key.txt";

// Writes a shared stage whose proof holds into `userFolder` as the folder
// `name`, as SaveUserStage writes: its pictures drawn from the map, data.xml,
// par.xml, the proof as replay.txt and its key.
void SaveSharedStage(const TSharedStage& shared, const std::string& userFolder, const std::string& name);
// The first of the user stages `names` in `userFolder` that holds the shared
// stage of key `key`; none when none does.
std::optional<std::string> FindSharedStage(const std::string& userFolder,
                                           const std::vector<std::string>& names, const std::string& key);
