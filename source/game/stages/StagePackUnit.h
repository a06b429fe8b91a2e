#pragma once
// A stage folder in the stage maker's text form, so that any stage (a shipped
// one, a user's own) can be shared with a proof: the map read from Map.png as
// the water reads it, the ten numbers, the name and the hint as data.xml
// writes them, and the par of par.xml.

#include "game/stagemaker/StageSourceUnit.h"
#include "game/stages/ReplayUnit.h"

#include <string>

// The text form of the stage in `folder`; a folder without par.xml (a user's
// stage) gets the par of `proof`, played on it. Raises Exception naming the
// folder's file that does not fit.
TStageSource StageSourceOfFolder(const std::string& folder, const TReplay& proof);

// The par a proof gives: its edited cells, and the time to its clear in
// `clearFrame` rounded up to the whole second with two seconds more, so that
// a player has a margin.
void SetParOfProof(TStageSource& stage, const TReplay& proof, std::int32_t clearFrame);
