#pragma once
// The editor's model: the stage being made, its steps to take back and do
// again, and its proof. A stage is proved by a test play that kept its clear;
// the play's replay is the proof, and its cells and time give the par. An
// edit of the map or the numbers after the proof voids it (the same stage to
// play again, by undoing the edit, has its proof again); the name and the
// hint do not change the play and leave it. The proof's cells and time give
// the par (DraftStageUnit.h).

#include "game/stages/ReplayUnit.h"
#include "game/states/DraftHistoryUnit.h"
#include "game/states/StageDraftUnit.h"

#include <cstdint>
#include <optional>
#include <string>

struct TStageProof {
    TStageDraft Stage; // the stage as it was played
    TReplay Replay;
    std::int32_t ClearFrame = 0; // the timed frame of the play in which the stage was cleared
};

enum TProofState : std::uint8_t {
    psNone,   // no test play has kept a clear
    psProved, // the stage is the one proved
    psVoided, // the map or a number changed since the proof
};

class TStageEditor {
public:
    explicit TStageEditor(TStageDraft start = TStageDraft::Blank()) : Draft_(std::move(start)) {}

    const TStageDraft& Draft() const { return Draft_; }
    const TDraftHistory& History() const { return History_; }

    // Another stage to make (a blank one, a copy): a step, so it can be taken back.
    void StartFrom(TStageDraft draft);
    // The next changed cell opens a step: a stroke is one step.
    void BeginStroke() { StrokeOpen = false; }
    bool PaintCell(TCellPos cell, TCellType type);
    // One step; answers the cells changed.
    std::int32_t Fill(TCellPos a, TCellPos b, TCellType type);
    // Moves the number by `steps` of its step, within its range.
    bool StepNumber(TStageNumberId id, std::int32_t steps);
    bool SetNumber(TStageNumberId id, std::int32_t count);
    bool SetName(std::string name);
    bool SetHint(std::string hint);
    bool Undo();
    bool Redo();

    // The stage as it is now was played with `replay`, which kept its clear
    // that came in `clearFrame`.
    void KeepProof(TReplay replay, std::int32_t clearFrame);
    TProofState ProofState() const;
    // The proof of the stage as it is now; null when it has none.
    const TStageProof* Proof() const { return ProofState() == psProved ? &*Proof_ : nullptr; }

private:
    // Makes `change` to the draft a step of its own when it changed anything.
    template <typename Change> bool Step(Change change);

    TStageDraft Draft_;
    TDraftHistory History_;
    bool StrokeOpen = false;
    std::optional<TStageProof> Proof_;
};
