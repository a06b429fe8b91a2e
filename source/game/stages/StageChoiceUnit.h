#pragma once
// Which stage the title offers: at start the first stage not yet cleared,
// after a clear the next one not yet cleared, in the list's order (the
// course's, then the player's own stages).

#include "game/stages/ProgressUnit.h"
#include "game/stages/StageListUnit.h"

#include <cstddef>
#include <vector>

// The first stage not cleared; the first stage when every one is. `stages`
// must not be empty.
std::size_t FirstUnclearedStage(const std::vector<TStageInfo>& stages, const TProgress& progress);
// After `played` was cleared: the first stage after it not cleared, else the
// first one before it not cleared; when every stage is cleared, the one after
// it (the last stays the last).
std::size_t NextUnclearedStage(const std::vector<TStageInfo>& stages, const TProgress& progress,
                               std::size_t played);
