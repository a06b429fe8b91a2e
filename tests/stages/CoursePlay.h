#pragma once
// Plays of the shipped course for the tests: a stage's solution (or any
// steps) run on the box without a window up to the frame where Finished is
// set, and the solution's timed actions, each the steps that share a frame.

#include "game/stages/ReplayUnit.h"
#include "game/stages/StageCourseUnit.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The shipped stages' folder, ending in '/'.
std::string ShippedStages();

struct TPlayOutcome {
    std::int32_t ClearFrame = 0; // the first frame that ended cleared; 0: none
    std::int32_t EndFrame = 0;   // the frame Finished was set in, or the last that ran
    TBoxState State = bsPlaying; // at EndFrame
    std::int32_t BlueOut = 0, EtcOut = 0;
    std::uint64_t HashAt = 0; // the water's hash after the frame asked for, 0 when it did not run
};

// Runs `steps` (in frame order) on the stage in `folder` from the random
// state `seed`, up to the frame where Finished is set or `maxFrames`;
// HashAt is taken after frame `hashFrame`.
TPlayOutcome PlayStage(const std::string& folder, std::uint32_t seed, const std::vector<TReplayStep>& steps,
                       std::int32_t maxFrames, std::int32_t hashFrame = 0);

// The frames of the solution's timed actions: every frame after the first
// that holds a step, in order.
std::vector<std::int32_t> TimedActionFrames(const std::vector<TReplayStep>& steps);
// The steps with those of frame `frame` moved by `shift` frames (to frame 1
// at the earliest), in frame order again.
std::vector<TReplayStep> Shifted(std::vector<TReplayStep> steps, std::int32_t frame, std::int32_t shift);
// Every step at frame `frame`.
std::vector<TReplayStep> AllAt(std::vector<TReplayStep> steps, std::int32_t frame);
// "cell 20 47 3; cell 21 47 3": the steps of frame `frame`, for messages.
std::string ActionText(const std::vector<TReplayStep>& steps, std::int32_t frame);
