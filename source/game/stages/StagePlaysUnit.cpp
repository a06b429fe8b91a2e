#include "game/stages/StagePlaysUnit.h"

#include "game/stages/StageChoiceUnit.h"
#include "game/stages/StageProofUnit.h"
#include "game/stages/StarsUnit.h"
#include "game/stages/UserStageUnit.h"

#include <algorithm>
#include <filesystem>
#include <utility>

TStagePlays::TStagePlays(TVaporelBox& box, TStageList stages, const std::string& progressFile,
                         std::string replayFolder)
    : Box(box), Stages_(std::move(stages)), Progress_(progressFile), ReplayFolder(std::move(replayFolder)),
      Recorder(box) {
    if (Stages_.Stages().empty())
        throw Exception("No stage was found in " + ShippedStagesFolder());
    Chosen_ = FirstUnclearedStage(Stages_.Stages(), Progress_);
}

void TStagePlays::Choose(int step) {
    const auto last = static_cast<std::int64_t>(Stages_.Stages().size()) - 1;
    Chosen_ = static_cast<std::size_t>(
        std::clamp<std::int64_t>(static_cast<std::int64_t>(Chosen_) + step, 0, last));
}

void TStagePlays::RequestTestPlay(const std::string& folder, const std::string& name) {
    PlayedFolder = folder;
    PlayedStage = name;
    TestPlayRequested = true;
}

// A test play's stage is played again by F5 and a retry, as any stage.
void TStagePlays::BeginPlay(bool again) {
    CellsDue = std::exchange(RetryRequested, false);
    const bool test = std::exchange(TestPlayRequested, false);
    if (test)
        TestPlay = true;
    else if (!(again || CellsDue) || PlayedStage.empty()) {
        PlayedStage = Chosen().Name;
        PlayedFolder = Chosen().Folder;
        TestPlay = false;
    }
    Box.LoadStage(PlayedFolder);
    Recorder.Begin(PlayedStage, RandSeed());
}

void TStagePlays::PlayStarted() {
    if (std::exchange(CellsDue, false))
        ApplyPlayerCells(Box, LostCells);
    HasLostPlay = false;
    LastOutcome_ = poNone;
}

bool TStagePlays::CanRetry() const {
    return IsPlaying() ? Box.State() == bsGameOver : HasLostPlay;
}

// The replay is written even when the progress cannot be, and the other way round.
void TStagePlays::EndPlay() {
    if (!IsPlaying())
        return;
    Recorder.End();
    LastOutcome_ = Box.State() == bsGameOver ? poLost : Box.Finished() ? poKept : poNone;
    HasLostPlay = LastOutcome_ == poLost;
    if (HasLostPlay)
        LostCells = PlayerCells(Box);
    if (TestPlay) {
        if (LastOutcome_ == poKept)
            KeptTestPlay = TKeptPlay{Recorder.Replay(), OutcomeFrame()};
        // The title says nothing of a stage that is not on it.
        LastOutcome_ = poNone;
        HasLostPlay = false;
        return;
    }
    std::string failure;
    if (LastOutcome_ == poKept)
        try {
            RecordClear();
        } catch (const Exception& error) {
            failure = error.what();
        }
    std::error_code ignored;
    std::filesystem::create_directories(ReplayFolder, ignored); // a failure shows in the write
    SaveReplay(Recorder.Replay(), ReplayFolder + PlayedStage + ".txt");
    if (!failure.empty())
        throw Exception(failure);
}

// The outcome came in the frame that zeroed the state timer, which every
// frame since (that one too) has advanced.
std::int32_t TStagePlays::OutcomeFrame() const {
    return Box.PlayFrames() - Box.StateTimer() + 1;
}

// The next stage is chosen even when the progress cannot be saved (the
// choice does not look at the stage played).
void TStagePlays::RecordClear() {
    const TStageResult result{Recorder.Replay().EditedCellCount(), OutcomeFrame()};
    const std::size_t played = Stages_.IndexOf(PlayedStage).value(); // the list only grows
    const TStageInfo& stage = Stages_.Stages()[played];
    Chosen_ = NextUnclearedStage(Stages_.Stages(), Progress_, played);
    LastStars_ = StarsFor(result, stage.Par);
    RecordKeptClear(Progress_, stage, result);
}

std::string TStagePlays::SaveMapAsStage() {
    const std::string name = Stages_.NextUserStageName();
    SaveUserStage(Box, Recorder.Replay(), Stages_.UserFolder(), name);
    Stages_.AddUserStage(name); // after every stage listed, so the choice keeps its place
    return name;
}

TStagePlays::TAddedStage TStagePlays::AddSharedStage(const std::string& fileName) {
    const TCheckedStage checked = CheckShareFile(fileName);
    std::vector<std::string> userStages;
    for (const TStageInfo& stage : Stages_.Stages())
        if (stage.IsUser)
            userStages.push_back(stage.Name);
    TAddedStage added{"", checked.Shared.Stage.Name, false};
    if (const auto held =
            FindSharedStage(Stages_.UserFolder(), userStages, SharedStageKey(checked.Shared.Stage)))
        added.Name = *held;
    else {
        added.Name = Stages_.NextUserStageName();
        SaveSharedStage(checked.Shared, Stages_.UserFolder(), added.Name);
        Stages_.AddUserStage(added.Name);
        added.IsNew = true;
    }
    Chosen_ = Stages_.IndexOf(added.Name).value();
    return added;
}
