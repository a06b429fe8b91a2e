#include "game/stages/StageProofUnit.h"

#include "game/core/GameProfilerUnit.h"
#include "game/stagemaker/CanvasUnit.h"
#include "game/stagemaker/StageArtUnit.h"
#include "platform/CheckedFile.h"
#include "platform/PictureWriter.h"
#include "platform/TemporaryFolder.h"

#include <memory>

namespace {

// A check may run while a play is on (a file dropped on the window): the
// play's random generator goes on from where it was.
class TRandomStateKept {
public:
    TRandomStateKept() : Seed(RandSeed()) {}
    ~TRandomStateKept() { SetRandSeed(Seed); }
    TRandomStateKept(const TRandomStateKept&) = delete;
    TRandomStateKept& operator=(const TRandomStateKept&) = delete;

private:
    std::uint32_t Seed;
};

// The files the water reads: the map picture and data.xml.
void WriteWaterFiles(const TStageSource& stage, const std::string& folder) {
    platform::SavePng(folder + "Map.png", CanvasPicture(DrawMap(stage.Map), false));
    platform::WriteWholeFile(folder + "data.xml", StageDataXml(stage, "shared"));
}

void RunProof(TVaporelBox& box, const TReplay& proof, TProofOutcome& outcome) {
    auto next = proof.Steps.begin();
    for (std::int32_t frame = 1; frame <= proof.EndFrame; ++frame) {
        for (; next != proof.Steps.end() && next->Frame == frame; ++next)
            box.Apply(next->Action);
        box.Execute();
        if (box.State() == bsCleared && outcome.ClearFrame == 0)
            outcome.ClearFrame = frame;
        if (box.Finished()) {
            outcome.FinishedFrame = frame;
            break;
        }
    }
    outcome.State = box.State();
    outcome.Hash = box.WaterHash();
}

std::string Frame(std::int32_t frame) {
    return "frame " + std::to_string(frame);
}

// Why a play that did not reach Finished in the proof's end frame fails.
std::string UnfinishedFault(const TProofOutcome& outcome, const TReplay& proof) {
    if (outcome.FinishedFrame != 0)
        return "the play finished at " + Frame(outcome.FinishedFrame) + ", before the proof's end at " +
               Frame(proof.EndFrame);
    if (outcome.State == bsCleared)
        return "the proof ends at " + Frame(proof.EndFrame) + ", before the clear of " +
               Frame(outcome.ClearFrame) + " has held to Finished";
    if (outcome.State == bsGameOver)
        return "the play is lost before the proof's end at " + Frame(proof.EndFrame);
    return "the proof does not clear the stage by its end at " + Frame(proof.EndFrame);
}

std::string Fault(const TProofOutcome& outcome, const TReplay& proof) {
    if (outcome.FinishedFrame != proof.EndFrame)
        return UnfinishedFault(outcome, proof);
    if (outcome.State != bsCleared)
        return outcome.ClearFrame == 0
                   ? "the play is lost, never cleared"
                   : "the clear of " + Frame(outcome.ClearFrame) + " is lost before Finished";
    if (outcome.Hash != proof.EndHash)
        return "the water's hash at " + Frame(proof.EndFrame) + " is " + HashText(outcome.Hash) +
               ", the proof says " + HashText(proof.EndHash);
    return "";
}

} // namespace

TProofOutcome PlayProof(const TStageSource& stage, const TReplay& proof) {
    const platform::TemporaryFolder folder("vaporel-proof");
    WriteWaterFiles(stage, folder.Path());
    const TRandomStateKept randomState;
    TGameProfiler profiler;
    auto box = std::make_unique<TVaporelBox>(profiler); // holds the whole map: too big for the stack
    SetRandSeed(proof.Seed);
    box->LoadStage(folder.Path());
    box->Restart();
    TProofOutcome outcome;
    RunProof(*box, proof, outcome);
    outcome.Fault = Fault(outcome, proof);
    return outcome;
}

TCheckedStage CheckShareFile(const std::string& fileName) {
    TCheckedStage checked{ReadShareFile(fileName), {}};
    try {
        checked.Outcome = PlayProof(checked.Shared.Stage, checked.Shared.Proof);
    } catch (const Exception& error) {
        throw EShareFileError(fileName + ": the stage cannot be made: " + error.what());
    }
    if (!checked.Outcome.Holds())
        throw EShareFileError(fileName + ": the proof does not hold: " + checked.Outcome.Fault);
    return checked;
}
