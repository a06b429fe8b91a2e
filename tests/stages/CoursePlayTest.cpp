// Every stage of the shipped course played as a player would: its solution
// keeps the clear up to the frame where Finished is set (red water leaving
// in the six seconds after a clear would turn it into a loss); it still does
// when any one timed action comes 30 frames earlier or later; the first three
// stages still clear when every action comes three seconds late; and the
// stage left untouched does not end cleared. The par's time leaves a player
// two seconds over the solution's clear.

#include "CoursePlay.h"
#include "game/stages/StageListUnit.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr std::int32_t HumanShift = 30;      // frames: half a second either way
constexpr std::int32_t ParMargin = 120;      // frames: a player's two seconds over the solution
constexpr std::int32_t LateFrame = 180;      // three seconds after the start
constexpr std::size_t FirstStagesForAll = 3; // stages a newcomer meets first
constexpr std::int32_t UntouchedFrames = 3600;
// Past any solution's clear, so that a play that never ends shows as such.
constexpr std::int32_t MaxPlayFrames = 6000;

struct TCourseCase {
    std::size_t Place;
    TCourseStage Stage;
};

void PrintTo(const TCourseCase& stage, std::ostream* out) {
    *out << "stage " << stage.Place << ", folder " << stage.Stage.Folder;
}

std::vector<TCourseCase> CourseCases() {
    std::vector<TCourseCase> cases;
    for (const TCourseStage& stage : ReadCourse(ShippedStages() + CourseFileName))
        cases.push_back({cases.size() + 1, stage});
    return cases;
}

std::vector<TCourseCase> FirstCourseCases() {
    std::vector<TCourseCase> cases = CourseCases();
    cases.resize(std::min(cases.size(), FirstStagesForAll));
    return cases;
}

class CoursePlay : public testing::TestWithParam<TCourseCase> {
protected:
    std::string Folder() const { return ShippedStages() + GetParam().Stage.Folder + "/"; }
    TReplay Solution() const { return LoadReplay(Folder() + "solution.txt"); }
    TPlayOutcome Play(const std::vector<TReplayStep>& steps, std::int32_t hashFrame = 0) const {
        return PlayStage(Folder(), Solution().Seed, steps, MaxPlayFrames, hashFrame);
    }
    std::string Which() const {
        return "stage " + std::to_string(GetParam().Place) + " (folder " + GetParam().Stage.Folder + ")";
    }
};

// Cells next to each other along one row or one column: what one stroke draws.
bool IsOneStroke(const std::vector<TReplayStep>& steps) {
    for (std::size_t i = 1; i < steps.size(); ++i) {
        const TBoxAction &before = steps[i - 1].Action, &cell = steps[i].Action;
        const int dx = std::abs(cell.X - before.X), dy = std::abs(cell.Y - before.Y);
        if (cell.Kind != akCell || dx + dy != 1 || (dx != 0) != (std::abs(cell.X - steps[0].Action.X) != 0))
            return false;
    }
    return !steps.empty();
}

std::string OutcomeText(const TPlayOutcome& outcome) {
    return "state " + std::to_string(outcome.State) + " at frame " + std::to_string(outcome.EndFrame) +
           ", cleared at " + std::to_string(outcome.ClearFrame) + ", blue out " +
           std::to_string(outcome.BlueOut) + ", red out " + std::to_string(outcome.EtcOut);
}

} // namespace

TEST_P(CoursePlay, TheSolutionKeepsItsClearToFinishedAndMeetsThePar) {
    const TReplay solution = Solution();
    ASSERT_EQ(solution.Stage, GetParam().Stage.Folder) << Which();
    const TPlayOutcome outcome = Play(solution.Steps, solution.EndFrame);
    EXPECT_EQ(outcome.State, bsCleared) << Which() << ": " << OutcomeText(outcome);
    EXPECT_EQ(outcome.EndFrame, solution.EndFrame) << Which() << ": the solution ends where Finished is set";
    EXPECT_EQ(outcome.HashAt, solution.EndHash) << Which() << ": the water differs from the solution's";
    const std::optional<TStagePar> par = ReadStagePar(Folder());
    ASSERT_TRUE(par) << Which() << " has no par";
    EXPECT_EQ(par->Cells, solution.EditedCellCount()) << Which() << ": the par's cells are the solution's";
    EXPECT_GE(par->Frames, outcome.ClearFrame + ParMargin)
        << Which() << ": the par's time leaves two seconds over the solution's clear at " << outcome.ClearFrame;
}

TEST_P(CoursePlay, EachTimedActionMayComeThirtyFramesEarlierOrLater) {
    const TReplay solution = Solution();
    for (const std::int32_t frame : TimedActionFrames(solution.Steps))
        for (const std::int32_t shift : {-HumanShift, HumanShift}) {
            const TPlayOutcome outcome = Play(Shifted(solution.Steps, frame, shift));
            EXPECT_EQ(outcome.State, bsCleared)
                << Which() << ": the action of frame " << frame << " (" << ActionText(solution.Steps, frame)
                << ") moved by " << shift << " frames: " << OutcomeText(outcome);
        }
}

TEST_P(CoursePlay, TheStageLeftUntouchedDoesNotEndCleared) {
    const TPlayOutcome outcome = PlayStage(Folder(), 0, {}, UntouchedFrames);
    EXPECT_NE(outcome.State, bsCleared) << Which() << ": " << OutcomeText(outcome);
}

// A newcomer draws while the water already flows.
using CourseFirstStage = CoursePlay;

TEST_P(CourseFirstStage, ClearsWithOneStrokeEvenThreeSecondsLate) {
    const TReplay solution = Solution();
    EXPECT_TRUE(TimedActionFrames(solution.Steps).empty()) << Which() << ": one stroke, at the start";
    EXPECT_TRUE(IsOneStroke(solution.Steps)) << Which() << ": the cells lie on one straight line";
    const TPlayOutcome outcome = Play(AllAt(solution.Steps, LateFrame));
    EXPECT_EQ(outcome.State, bsCleared) << Which() << ": " << OutcomeText(outcome);
}

std::string CaseName(const testing::TestParamInfo<TCourseCase>& test) {
    const std::string place = std::to_string(test.param.Place);
    return "Place" + std::string(2 - std::min<std::size_t>(2, place.size()), '0') + place + "_" +
           test.param.Stage.Folder;
}

INSTANTIATE_TEST_SUITE_P(Course, CoursePlay, testing::ValuesIn(CourseCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Course, CourseFirstStage, testing::ValuesIn(FirstCourseCases()), CaseName);
