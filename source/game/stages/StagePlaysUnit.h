#pragma once
// The plays of the stages: which stage the title has chosen, starting a play
// of it, and what a play's end leaves behind (its replay in replays/, a kept
// clear and its stars in the progress, the next stage chosen, a lost play's
// cells for another try). Also saves the map being played as a user stage.

#include "game/stages/PlayRecorderUnit.h"
#include "game/stages/PlayerCellsUnit.h"
#include "game/stages/ProgressUnit.h"
#include "game/stages/StageListUnit.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// How the play that ended last came out, for the title.
enum TPlayOutcome : std::uint8_t {
    poNone, // no play ended yet, or it ended open (the player left it, or the clear was not yet kept)
    poKept, // cleared, and the clear held to the end
    poLost,
};

// A play that kept its clear: its replay, and the timed frame of the clear.
struct TKeptPlay {
    TReplay Replay;
    std::int32_t ClearFrame = 0;
};

class TStagePlays {
public:
    // `stages` must not be empty. `replayFolder` is where replays/<stage>.txt
    // go (created when a replay is written). The first stage not yet cleared is
    // chosen, the first stage when every one is.
    TStagePlays(TVaporelBox& box, TStageList stages, const std::string& progressFile,
                std::string replayFolder);

    const TStageList& Stages() const { return Stages_; }
    const TProgress& Progress() const { return Progress_; }
    const TStageInfo& Chosen() const { return Stages_.Stages()[Chosen_]; }
    std::size_t ChosenIndex() const { return Chosen_; }
    // Moves the choice by `step` stages, stopping at the first and the last.
    void Choose(int step);

    // Loads the chosen stage (or, `again` or after RequestRetry, the stage
    // played last) into the box and records the play the box's Restart is
    // about to start.
    void BeginPlay(bool again = false);
    // The box has restarted for the play: a retry gets the lost play's cells.
    void PlayStarted();
    bool IsPlaying() const { return Recorder.IsRecording(); }
    // Writes the play's replay and, when the clear was kept (the box is
    // Finished cleared), its result and stars and the next stage not yet
    // cleared as the choice; a lost play keeps its cells for a retry. Raises
    // Exception naming a file that could not be written; the play has ended
    // all the same.
    void EndPlay();

    // A lost play can be tried again with its cells: during its result, and
    // after it until another play begins.
    bool CanRetry() const;
    // The next play is of the lost stage, with the lost play's cells.
    void RequestRetry() { RetryRequested = CanRetry(); }

    // The next play is a test play of the stage in `folder` (a stage being
    // made, named `name`): it plays as any other, F5 and a retry play it
    // again, but its end writes no replay file and no progress; a kept clear
    // is kept for TakeKeptTestPlay.
    void RequestTestPlay(const std::string& folder, const std::string& name);
    // The play begun last is a test play.
    bool IsTestPlay() const { return TestPlay; }
    // The kept clear of the test play that ended last, once.
    std::optional<TKeptPlay> TakeKeptTestPlay() { return std::exchange(KeptTestPlay, std::nullopt); }
    // The last play's end, and the stars a kept clear earned.
    TPlayOutcome LastOutcome() const { return LastOutcome_; }
    std::int32_t LastStars() const { return LastStars_; }
    // The name of the stage played last ("" before the first play).
    const std::string& PlayedStageName() const { return PlayedStage; }

    // Saves the map being played (edits included) as a new user stage, with
    // the replay so far; answers its name. Raises Exception on a failure,
    // which leaves no stage behind.
    std::string SaveMapAsStage();

    struct TAddedStage {
        std::string Name;  // the user stage's folder name: "user-0004"
        std::string Title; // the stage's own name
        bool IsNew = true; // false: a user stage held it already
    };
    // Checks the share file (StageProofUnit.h) and adds its stage as a new
    // user stage, unless a user stage holds that stage already; either way it
    // becomes the choice. Raises EShareFileError naming the file and the
    // reason when the file is refused, Exception when the stage cannot be
    // written; nothing is written then.
    TAddedStage AddSharedStage(const std::string& fileName);

private:
    void RecordClear();
    // The timed frame of the play in which the box was cleared or lost.
    std::int32_t OutcomeFrame() const;

    TVaporelBox& Box;
    TStageList Stages_;
    TProgress Progress_;
    std::string ReplayFolder;
    TPlayRecorder Recorder;
    std::size_t Chosen_ = 0;
    std::string PlayedStage;  // the name of the stage played last
    std::string PlayedFolder; // and its folder
    TPlayOutcome LastOutcome_ = poNone;
    std::int32_t LastStars_ = 0;
    bool HasLostPlay = false;
    std::vector<TPlayerCell> LostCells; // the lost play's own cells
    bool RetryRequested = false;
    bool CellsDue = false; // the play begun is a retry: PlayStarted applies LostCells
    bool TestPlayRequested = false;
    bool TestPlay = false;
    std::optional<TKeptPlay> KeptTestPlay;
};
