#include "game/states/StageEditorUnit.h"

template <typename Change> bool TStageEditor::Step(Change change) {
    TStageDraft before = Draft_;
    if (!change(Draft_))
        return false;
    History_.Record(before);
    StrokeOpen = false;
    return true;
}

void TStageEditor::StartFrom(TStageDraft draft) {
    Step([&](TStageDraft& current) {
        const bool changed = !(current == draft);
        current = std::move(draft);
        return changed;
    });
}

bool TStageEditor::PaintCell(TCellPos cell, TCellType type) {
    if (!TStageDraft::IsEditable(cell) || Draft_.Cell(cell) == type)
        return false;
    if (!StrokeOpen)
        History_.Record(Draft_);
    StrokeOpen = true;
    return Draft_.SetCell(cell, type);
}

std::int32_t TStageEditor::Fill(TCellPos a, TCellPos b, TCellType type) {
    std::int32_t changed = 0;
    Step([&](TStageDraft& draft) { return (changed = draft.Fill(a, b, type)) > 0; });
    return changed;
}

bool TStageEditor::StepNumber(TStageNumberId id, std::int32_t steps) {
    return SetNumber(id, Draft_.Number(id) + steps * StageNumberKinds[id].Step);
}

bool TStageEditor::SetNumber(TStageNumberId id, std::int32_t count) {
    return Step([&](TStageDraft& draft) { return draft.SetNumber(id, count); });
}

bool TStageEditor::SetName(std::string name) {
    return Step([&](TStageDraft& draft) { return name != draft.Name() && draft.SetName(std::move(name)); });
}

bool TStageEditor::SetHint(std::string hint) {
    return Step([&](TStageDraft& draft) { return hint != draft.Hint() && draft.SetHint(std::move(hint)); });
}

bool TStageEditor::Undo() {
    StrokeOpen = false;
    std::optional<TStageDraft> before = History_.Undo(Draft_);
    if (before)
        Draft_ = std::move(*before);
    return before.has_value();
}

bool TStageEditor::Redo() {
    StrokeOpen = false;
    std::optional<TStageDraft> after = History_.Redo(Draft_);
    if (after)
        Draft_ = std::move(*after);
    return after.has_value();
}

void TStageEditor::KeepProof(TReplay replay, std::int32_t clearFrame) {
    Proof_ = TStageProof{Draft_, std::move(replay), clearFrame};
}

TProofState TStageEditor::ProofState() const {
    if (!Proof_)
        return psNone;
    return Proof_->Stage.SamePlay(Draft_) ? psProved : psVoided;
}
