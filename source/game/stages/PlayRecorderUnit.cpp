#include "game/stages/PlayRecorderUnit.h"

namespace {
// Room for a long play's edits, so that a stroke rarely grows the list.
constexpr std::size_t ExpectedSteps = 4096;
} // namespace

TPlayRecorder::TPlayRecorder(TVaporelBox& box) : Box(box) {
    Box.SetListener(this);
}

TPlayRecorder::~TPlayRecorder() {
    Box.SetListener(nullptr);
}

void TPlayRecorder::Begin(const std::string& stage, std::uint32_t seed) {
    Play = TReplay{stage, seed, {}, 0, 0};
    Play.Steps.reserve(ExpectedSteps);
    Recording = true;
}

TReplay TPlayRecorder::Replay() const {
    TReplay replay = Play;
    replay.EndFrame = Box.PlayFrames();
    replay.EndHash = Box.WaterHash();
    std::erase_if(replay.Steps, [&](const TReplayStep& step) { return step.Frame > replay.EndFrame; });
    return replay;
}

void TPlayRecorder::ActionTaken(std::int32_t frame, const TBoxAction& action) {
    if (Recording)
        Play.Steps.push_back(TReplayStep{frame, action});
}
