#pragma once
// The plays of the stages: which stage the title has chosen, starting a play
// of it, and what a play's end leaves behind (its replay in replays/, a clear
// in the progress, the next stage chosen). Also saves the map being played as
// a user stage.

#include "game/stages/PlayRecorderUnit.h"
#include "game/stages/ProgressUnit.h"
#include "game/stages/StageListUnit.h"

#include <cstddef>
#include <string>

class TStagePlays {
public:
    // `stages` must not be empty. `replayFolder` is where replays/<stage>.txt
    // go (created when a replay is written). The first stage not yet cleared is
    // chosen, the first stage when every one is.
    TStagePlays(TVaporelBox& box, TStageList stages, const std::string& progressFile, std::string replayFolder);

    const TStageList& Stages() const { return Stages_; }
    const TProgress& Progress() const { return Progress_; }
    const TStageInfo& Chosen() const { return Stages_.Stages()[Chosen_]; }
    std::size_t ChosenIndex() const { return Chosen_; }
    // Moves the choice by `step` stages, stopping at the first and the last.
    void Choose(int step);

    // Loads the chosen stage (or, `again`, the stage played last) into the
    // box and records the play the box's Restart is about to start.
    void BeginPlay(bool again = false);
    bool IsPlaying() const { return Recorder.IsRecording(); }
    // Writes the play's replay and, when the stage was cleared, its result
    // and the next stage as the choice. Raises Exception naming a file that
    // could not be written; the play has ended all the same.
    void EndPlay();

    // Saves the map being played (edits included) as a new user stage, with
    // the replay so far; answers its name. Raises Exception on a failure,
    // which leaves no stage behind.
    std::string SaveMapAsStage();

private:
    void ChooseFirstUncleared();
    void RecordClear();

    TVaporelBox& Box;
    TStageList Stages_;
    TProgress Progress_;
    std::string ReplayFolder;
    TPlayRecorder Recorder;
    std::size_t Chosen_ = 0;
    std::string PlayedStage;  // the name of the stage played last
    std::string PlayedFolder; // and its folder
};
