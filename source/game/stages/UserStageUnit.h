#pragma once
// Saving the map being played as a stage of the user's own: a new folder
// user-0001, user-0002, ... with the map as Map.png, the played stage's
// data.xml and layer pictures, and the replay of the play so far.

#include "game/stages/ReplayUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/PictureDecoder.h"

#include <string>

// The colours the map picture gives each cell type; loading the picture
// gives the same types back.
platform::Picture MapPicture(const TVaporelBox& box);

// The first free user stage name after the highest in `userFolder`.
std::string NextUserStageName(const std::string& userFolder);

// Writes the stage into `userFolder` (created when missing) under a
// temporary name and renames it when whole, so a failure (a full disk, a
// read-only folder) leaves nothing behind; raises Exception saying what
// failed. Answers the new stage's name.
std::string SaveUserStage(const TVaporelBox& box, const TReplay& play, const std::string& userFolder);
