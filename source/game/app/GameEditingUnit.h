#pragma once
// The editor as the game runs it: a stage being made is written into the
// test play's stage folder and played as any stage; the play's kept clear
// comes back as its proof; a proved stage is published as a share file.
// What fails costs the action, not the game: it is logged and shown as a
// notice.

#include "game/states/EditorStateUnit.h"

#include <functional>
#include <string>
#include <string_view>

class TStagePlays;
class TVaporelBox;

// The folder of the stage a test play plays, beside the log; its name is
// the stage's name in the test play's replay.
inline constexpr const char* TestPlayStageName = "test-play";

class TGameEditing : public TEditorHost {
public:
    // Stores the references (not owned). `startPlay` switches to the game
    // state; `showNotice` shows a text as the notice.
    TGameEditing(TStagePlays& plays, TVaporelBox& box, std::function<void()> startPlay,
                 std::function<void(const std::string&)> showNotice);

    void StartTestPlay(const TStageDraft& stage) override;
    std::optional<TStageProof> TakeTestProof() override;
    bool LoadChosenStage(std::string& name, std::string& hint) override;
    void Publish(const TStageDraft& stage, const TStageProof& proof) override;
    std::string PublishFolder() const override;
    void ShowNotice(const std::string& text) override { ShowNotice_(text); }

private:
    // Logged as an error and shown in the player's language, after `lead`
    // (a format that says what failed, with one %s for the message).
    void ShowFailure(std::string_view lead, const std::string& message);

    TStagePlays& Plays;
    TVaporelBox& Box;
    std::function<void()> StartPlay;
    std::function<void(const std::string&)> ShowNotice_;
    std::string TestPlayFolder;
    // The stage the test play played, to prove once it comes back.
    std::optional<TStageDraft> PlayedStage;
};
