#pragma once
// A stage being made as the game reads stages: its text form (the stage
// maker's), and a stage folder made from that with the pictures every
// stage's map gives, so that a made stage looks like a shipped one.

#include "game/stagemaker/StageSourceUnit.h"
#include "game/stages/StageCourseUnit.h"
#include "game/states/StageDraftUnit.h"

#include <optional>
#include <string>

// The stage's text form; without a par (a stage not yet proved) its par is left empty.
TStageSource DraftStageSource(const TStageDraft& draft, const std::optional<TStagePar>& par);

// Writes the stage folder `folder` anew (what it held goes): Map.png, the
// layer pictures and data.xml (and par.xml with a par). Raises naming what failed.
void WriteDraftStage(const TStageDraft& draft, const std::optional<TStagePar>& par, const std::string& folder);
