#pragma once
// The pictures of a stage, drawn from its cell map: Map.png (the cell colours
// the loader reads), Back.jpg (cistern stone behind the water, light from the
// feed pipes, hidden walls as panes of glass), Block.jpg (the stone patches
// shown on block cells) and Front.png (frame, pipes and grates in front of the
// water, transparent elsewhere). Every stage shares the style; only what its
// map holds moves.

#include "game/stagemaker/CanvasUnit.h"
#include "game/stagemaker/StageSourceUnit.h"

TCanvas DrawMap(const TStageMap& map);
TCanvas DrawBack(const TStageMap& map);
TCanvas DrawBlock();
TCanvas DrawFront(const TStageMap& map);
