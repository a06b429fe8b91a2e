#include "game/app/GamePlaysUnit.h"

#include "game/stages/StagePlaysUnit.h"
#include "game/texts/PlayerTextsUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "lib/Z5LogUnit.h"

bool TGamePlays::BeginPlay(bool again) {
    try {
        Plays.BeginPlay(again);
        return true;
    } catch (const Exception& error) {
        ShowFailure(TextId("The stage could not be loaded: %s"), error.what());
        Box.ReloadStage();
        return false;
    }
}

void TGamePlays::EndPlay() {
    try {
        Plays.EndPlay();
    } catch (const Exception& error) {
        ShowFailure(TextId("The play could not be recorded: %s"), error.what());
    }
}

void TGamePlays::SaveMapAsStage() {
    try {
        ShowNotice(PlayerFormat(TextId("Saved as %s"), Plays.SaveMapAsStage().c_str()));
    } catch (const Exception& error) {
        ShowFailure(TextId("The map could not be saved: %s"), error.what());
    }
}

void TGamePlays::AddSharedStage(const std::string& fileName) {
    try {
        const TStagePlays::TAddedStage added = Plays.AddSharedStage(fileName);
        Log().WriteLine("The stage of " + fileName +
                        (added.IsNew ? " is added as " : " was added before as ") + added.Name);
        ShowNotice(PlayerFormat(added.IsNew ? TextId("Added to your stages: %s")
                                            : TextId("Already among your stages: %s"),
                                added.Title.c_str()));
    } catch (const Exception& error) {
        ShowFailure(TextId("The stage was not added: %s"), error.what());
    }
}

std::string FailureNotice(std::string_view lead, const std::string& message) {
    Log().WriteLine("Error! " + message);
    return PlayerFormat(lead, PlayerMessage(message).c_str());
}

void TGamePlays::ShowFailure(std::string_view lead, const std::string& message) {
    ShowNotice(FailureNotice(lead, message));
}
