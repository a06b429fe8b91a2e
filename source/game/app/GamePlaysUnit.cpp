#include "game/app/GamePlaysUnit.h"

#include "game/app/PlayerMessageUnit.h"
#include "game/stages/StagePlaysUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "lib/Z5LogUnit.h"

bool TGamePlays::BeginPlay(bool again) {
    try {
        Plays.BeginPlay(again);
        return true;
    } catch (const Exception& error) {
        ShowFailure(error.what());
        Box.ReloadStage();
        return false;
    }
}

void TGamePlays::EndPlay() {
    try {
        Plays.EndPlay();
    } catch (const Exception& error) {
        ShowFailure(error.what());
    }
}

void TGamePlays::SaveMapAsStage() {
    try {
        ShowNotice("Saved as " + Plays.SaveMapAsStage());
    } catch (const Exception& error) {
        ShowFailure(error.what());
    }
}

void TGamePlays::ShowFailure(const std::string& message) {
    Log().WriteLine("Error! " + message);
    ShowNotice(PlayerMessage(message));
}
