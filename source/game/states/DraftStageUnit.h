#pragma once
// A stage being made as the game reads stages: its text form, and a stage
// folder made from it with the pictures every stage's map gives.

#include "game/stages/StageCourseUnit.h"
#include "game/states/StageDraftUnit.h"

#include <optional>
#include <string>

// Writes the stage folder `folder` (made when missing, its files replaced):
// Map.png, the layer pictures, data.xml, and par.xml when there is a par.
// Raises Exception naming what failed.
void WriteDraftStage(const TStageDraft& draft, const std::optional<TStagePar>& par, const std::string& folder);
