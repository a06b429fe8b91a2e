#pragma once
// The plays as the game runs them: a play begins when the game state is
// entered and ends when it is left or the game closes, and Ctrl+S saves its
// map as a stage. What fails costs the play or the file, not the game: it is
// logged and shown as a notice.

#include "game/app/NoticeUnit.h"

#include <functional>
#include <string>
#include <string_view>

class TStagePlays;
class TVaporelBox;

// A failure as a notice: `message` is logged as an error, and the notice is
// `lead` (a format that says what failed, with one %s) in the player's
// language with the message for the player in it.
std::string FailureNotice(std::string_view lead, const std::string& message);

class TGamePlays {
public:
    // Stores the references (not owned). `showNotice` shows a text as the
    // notice and marks the picture out of date.
    TGamePlays(TStagePlays& plays, TVaporelBox& box, std::function<void(const std::string&)> showNotice)
        : Plays(plays), Box(box), ShowNotice(std::move(showNotice)) {}

    // A play of the chosen stage, or of the same stage again; false when the
    // stage does not load (its folder removed or damaged after the list was
    // read): the box then gets back the stage it had.
    bool BeginPlay(bool again);
    // Writes the play's replay and progress.
    void EndPlay();
    // Saves the map as it is now as a new user stage; the notice names it.
    void SaveMapAsStage();
    // Checks a share file and adds its stage to the player's own, chosen;
    // the notice names the stage, or the file and why it was refused.
    void AddSharedStage(const std::string& fileName);

private:
    // Logged as an error and shown in the player's language, after `lead`
    // (a format that says what failed, with one %s for the message).
    void ShowFailure(std::string_view lead, const std::string& message);

    TStagePlays& Plays;
    TVaporelBox& Box;
    std::function<void(const std::string&)> ShowNotice;
};
