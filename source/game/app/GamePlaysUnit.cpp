#include "game/app/GamePlaysUnit.h"

#include "game/app/PlayerMessageUnit.h"
#include "game/core/PlayerTextUnit.h"
#include "game/stages/StagePlaysUnit.h"
#include "game/water/VaporelBoxUnit.h"

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

void TGamePlays::ShowFailure(std::string_view lead, const std::string& message) {
    ShowNotice(FailureNotice(lead, message));
}
