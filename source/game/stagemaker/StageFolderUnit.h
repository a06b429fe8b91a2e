#pragma once
// A stage folder made from the stage's text form: Map.png, Back.jpg,
// Block.jpg, Front.png, data.xml and par.xml, the same bytes on every run.

#include "game/stagemaker/StageSourceUnit.h"

#include <filesystem>
#include <string>

// Writes the stage folder `folder` (made when missing); its own name is the
// stage's name in data.xml's comment. A source without a par (a stage being
// made) gets no par.xml.
void MakeStageFolder(const TStageSource& source, const std::filesystem::path& folder);
// The same files into `folder`, which must be there, for the stage named
// `stageName` (a folder written under another name and renamed when whole).
void WriteStageFiles(const TStageSource& source, const std::filesystem::path& folder,
                     const std::string& stageName);
