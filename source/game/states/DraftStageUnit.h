#pragma once
// A stage being made as the game reads stages: its text form (the stage
// maker's), and a stage folder made from that with the pictures every
// stage's map gives, so that a made stage looks like a shipped one.

#include "game/stagemaker/StageSourceUnit.h"
#include "game/states/StageEditorUnit.h"

#include <string>

// The stage's text form, without a par: it is not proved yet.
TStageSource DraftStageSource(const TStageDraft& draft);
// The text form of a proved stage, with the par its proof gives: the cells
// the proof edited, and its clear's time with a player's margin.
TStageSource ProvedStageSource(const TStageDraft& draft, const TStageProof& proof);

// Writes the stage folder `folder` anew (what it held goes): Map.png, the
// layer pictures and data.xml. Raises naming what failed.
void WriteDraftStage(const TStageDraft& draft, const std::string& folder);
