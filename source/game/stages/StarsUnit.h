#pragma once
// The stars a kept clear earns against the stage's par: one for the clear,
// one more at or under the par's cells, one more at or under the par's time;
// and a result's time as the player reads it, in seconds.

#include "game/stages/ProgressUnit.h"
#include "game/stages/StageCourseUnit.h"

#include <cstdint>
#include <optional>
#include <string>

struct TStageInfo;

inline constexpr std::int32_t MaxStars = 3;

// The stars of one kept clear; a stage without a par gives the clear's star only.
std::int32_t StarsFor(const TStageResult& result, const std::optional<TStagePar>& par);

// The stars the progress keeps for `stage`: those it recorded, or, for a
// stage cleared before stars were kept, what its best result earns against
// the par (each best is one play's, so its stars are that play's); 0 when
// not cleared.
std::int32_t KeptStars(const TProgress& progress, const TStageInfo& stage);

// Records a kept clear of `stage` in the progress with the most stars the
// stage has earned: this play's, or more kept before (also those of a file
// from before the stars). Raises as RecordClear.
void RecordKeptClear(TProgress& progress, const TStageInfo& stage, const TStageResult& result);

// Timed frames as seconds with one decimal, rounded up so that a time shown
// equal to the par is within it: 421 frames give "7.1 s".
std::string SecondsText(std::int32_t frames);
