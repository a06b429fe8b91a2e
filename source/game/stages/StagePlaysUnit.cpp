#include "game/stages/StagePlaysUnit.h"

#include "game/stages/UserStageUnit.h"

#include <algorithm>
#include <filesystem>

TStagePlays::TStagePlays(TVaporelBox& box, TStageList stages, const std::string& progressFile,
                         std::string replayFolder)
    : Box(box), Stages_(std::move(stages)), Progress_(progressFile), ReplayFolder(std::move(replayFolder)),
      Recorder(box) {
    if (Stages_.Stages().empty())
        throw Exception("No stage was found in " + ShippedStagesFolder());
    ChooseFirstUncleared();
}

void TStagePlays::ChooseFirstUncleared() {
    const auto& stages = Stages_.Stages();
    const auto uncleared = std::find_if(stages.begin(), stages.end(), [&](const TStageInfo& stage) {
        return !Progress_.IsCleared(stage.Name);
    });
    Chosen_ = uncleared == stages.end() ? 0 : static_cast<std::size_t>(uncleared - stages.begin());
}

void TStagePlays::Choose(int step) {
    const auto last = static_cast<std::int64_t>(Stages_.Stages().size()) - 1;
    Chosen_ = static_cast<std::size_t>(
        std::clamp<std::int64_t>(static_cast<std::int64_t>(Chosen_) + step, 0, last));
}

void TStagePlays::BeginPlay(bool again) {
    if (!again || PlayedStage.empty()) {
        PlayedStage = Chosen().Name;
        PlayedFolder = Chosen().Folder;
    }
    Box.LoadStage(PlayedFolder);
    Recorder.Begin(PlayedStage, RandSeed());
}

// The replay is written even when the progress cannot be, and the other way round.
void TStagePlays::EndPlay() {
    if (!IsPlaying())
        return;
    Recorder.End();
    std::string failure;
    if (Box.State == bsCleared)
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

// The clear came in the frame that zeroed the state timer, which every frame
// since (that one too) has advanced. The next stage is chosen even when the
// progress cannot be saved.
void TStagePlays::RecordClear() {
    const std::int32_t clearFrame = Box.PlayFrames() - Box.StateTimer + 1;
    const TStageResult result{Recorder.Replay().EditedCellCount(), clearFrame};
    if (const std::optional<std::size_t> played = Stages_.IndexOf(PlayedStage))
        Chosen_ = std::min(*played + 1, Stages_.Stages().size() - 1);
    Progress_.RecordClear(PlayedStage, result);
}

std::string TStagePlays::SaveMapAsStage() {
    const std::string name = Stages_.NextUserStageName();
    SaveUserStage(Box, Recorder.Replay(), Stages_.UserFolder(), name);
    Stages_.AddUserStage(name); // after every stage listed, so the choice keeps its place
    return name;
}
