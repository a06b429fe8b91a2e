#pragma once
// Saving the map being played as a stage of the user's own: a new folder
// (user-0001, user-0002, ...: StageListUnit.h names them) with the map as Map.png, the played stage's
// data.xml and layer pictures, and the replay of the play so far.

#include "game/stages/ReplayUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/PictureDecoder.h"

#include <string>

// The colours the map picture gives each cell type; loading the picture
// gives the same types back.
platform::Picture MapPicture(const TVaporelBox& box);

// Writes the stage into `userFolder` (created when missing) as the folder
// `name`, under a temporary name first and renamed when whole, so a failure
// (a full disk, a read-only folder, a folder of that name in the way) leaves
// nothing behind; raises Exception saying what failed.
void SaveUserStage(const TVaporelBox& box, const TReplay& play, const std::string& userFolder,
                   const std::string& name);
