#include "game/app/GameEditingUnit.h"

#include "game/app/GamePlaysUnit.h"
#include "game/stages/ShareFileUnit.h"
#include "game/stages/StagePlaysUnit.h"
#include "game/states/DraftStageUnit.h"
#include "game/texts/PlayerTextsUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/UserFolders.h"

TGameEditing::TGameEditing(TStagePlays& plays, TVaporelBox& box, std::function<void()> startPlay,
                           std::function<void(const std::string&)> showNotice)
    : Plays(plays), Box(box), StartPlay(std::move(startPlay)), ShowNotice_(std::move(showNotice)),
      TestPlayFolder(ProgramFolderPath(std::string(TestPlayStageName) + "/", TUserFolder::State)) {}

void TGameEditing::StartTestPlay(const TStageDraft& stage) {
    try {
        WriteDraftStage(stage, TestPlayFolder);
    } catch (const std::exception& error) {
        return ShowFailure(TextId("The stage could not be written for its test play: %s"), error.what());
    }
    PlayedStage = stage;
    Plays.RequestTestPlay(TestPlayFolder, TestPlayStageName);
    StartPlay();
}

std::optional<TStageProof> TGameEditing::TakeTestProof() {
    std::optional<TKeptPlay> kept = Plays.TakeKeptTestPlay();
    if (!kept || !PlayedStage)
        return std::nullopt;
    return TStageProof{*PlayedStage, std::move(kept->Replay), kept->ClearFrame};
}

namespace {

// A shipped stage's name and hint are English, shown translated: a copy
// takes them in the player's language.
std::string CopiedText(const TStageInfo& stage, const std::string& text) {
    return stage.IsUser || text.empty() ? text : std::string(PlayerText(text));
}

} // namespace

bool TGameEditing::LoadChosenStage(std::string& name, std::string& hint) {
    const TStageInfo& chosen = Plays.Chosen();
    try {
        Box.LoadStage(chosen.Folder);
    } catch (const Exception& error) {
        ShowFailure(TextId("The stage could not be loaded: %s"), error.what());
        return false;
    }
    name = CopiedText(chosen, chosen.Title);
    hint = CopiedText(chosen, chosen.Hint);
    return true;
}

std::string TGameEditing::PublishFolder() const {
    return platform::XdgBaseFolder("XDG_DATA_HOME", ".local/share") + "/vaporel/shared/";
}

void TGameEditing::ShowFailure(std::string_view lead, const std::string& message) {
    ShowNotice(FailureNotice(lead, message));
}

void TGameEditing::Publish(const TStageDraft& stage, const TStageProof& proof) {
    try {
        const std::string path =
            WriteShareFile(ProvedStageSource(stage, proof), proof.Replay, PublishFolder());
        ShowNotice(PlayerFormat(TextId("Published as %s"), path.c_str()));
    } catch (const Exception& error) {
        ShowFailure(TextId("The stage could not be published: %s"), error.what());
    }
}
