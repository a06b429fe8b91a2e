#pragma once
// Whether a stage's proof holds: the stage made from its text form (the map
// and the ten numbers; the water needs no pictures), the proof played on a box
// without a window from its seed to its end frame, as the game plays it. It
// holds only when the clear is kept up to the frame where Finished is set,
// that frame is the proof's end frame, and the water there has the proof's
// hash. A proof is at most MaxReplayFrames long (ReplayUnit.h), which bounds
// what a check can cost.

#include "game/stagemaker/StageSourceUnit.h"
#include "game/stages/ReplayUnit.h"
#include "game/stages/ShareFileUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <cstdint>
#include <string>

struct TProofOutcome {
    std::int32_t ClearFrame = 0;    // the first frame that ended cleared; 0: none
    std::int32_t FinishedFrame = 0; // the frame Finished was set in; 0: not within the proof
    TBoxState State = bsPlaying;    // after the last frame that ran
    std::uint64_t Hash = 0;         // the water's, after the last frame that ran
    std::string Fault;              // why the proof does not hold; empty when it holds

    bool Holds() const { return Fault.empty(); }
};

// Plays `proof` on `stage`. The program's random generator is left as it was.
// Raises Exception when the stage cannot be made.
TProofOutcome PlayProof(const TStageSource& stage, const TReplay& proof);

struct TCheckedStage {
    TSharedStage Shared;
    TProofOutcome Outcome; // one that holds
};

// Reads the share file and plays its proof: the stage when the proof holds;
// else raises EShareFileError naming the file and the reason.
TCheckedStage CheckShareFile(const std::string& fileName);
