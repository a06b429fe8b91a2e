#include "CoursePlay.h"

#include "game/core/GameProfilerUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <algorithm>
#include <sstream>

std::string ShippedStages() {
    return std::string(VAPOREL_SHIPPED_STAGES) + "/";
}

TPlayOutcome PlayStage(const std::string& folder, std::uint32_t seed, const std::vector<TReplayStep>& steps,
                       std::int32_t maxFrames, std::int32_t hashFrame) {
    TGameProfiler profiler;
    auto box = std::make_unique<TVaporelBox>(profiler); // holds the whole map: too big for the stack
    SetRandSeed(seed);
    box->LoadStage(folder);
    box->Restart();
    TPlayOutcome outcome;
    auto next = steps.begin();
    for (std::int32_t frame = 1; frame <= maxFrames && !box->Finished(); ++frame) {
        for (; next != steps.end() && next->Frame == frame; ++next)
            box->Apply(next->Action);
        box->Execute();
        if (box->State() == bsCleared && outcome.ClearFrame == 0)
            outcome.ClearFrame = frame;
        if (frame == hashFrame)
            outcome.HashAt = box->WaterHash();
        outcome.EndFrame = frame;
    }
    outcome.State = box->State();
    outcome.BlueOut = box->BlueOutCount();
    outcome.EtcOut = box->EtcOutCount();
    return outcome;
}

std::vector<std::int32_t> TimedActionFrames(const std::vector<TReplayStep>& steps) {
    std::vector<std::int32_t> frames;
    for (const TReplayStep& step : steps)
        if (step.Frame > 1 && (frames.empty() || frames.back() != step.Frame))
            frames.push_back(step.Frame);
    return frames;
}

std::vector<TReplayStep> Shifted(std::vector<TReplayStep> steps, std::int32_t frame, std::int32_t shift) {
    for (TReplayStep& step : steps)
        if (step.Frame == frame)
            step.Frame = std::max(1, frame + shift);
    std::stable_sort(steps.begin(), steps.end(),
                     [](const TReplayStep& a, const TReplayStep& b) { return a.Frame < b.Frame; });
    return steps;
}

std::vector<TReplayStep> AllAt(std::vector<TReplayStep> steps, std::int32_t frame) {
    for (TReplayStep& step : steps)
        step.Frame = frame;
    return steps;
}

std::string ActionText(const std::vector<TReplayStep>& steps, std::int32_t frame) {
    std::ostringstream text;
    for (const TReplayStep& step : steps)
        if (step.Frame == frame) {
            if (text.tellp() > 0)
                text << "; ";
            text << "cell " << step.Action.X << " " << step.Action.Y << " "
                 << static_cast<int>(step.Action.Type);
        }
    return text.str();
}
