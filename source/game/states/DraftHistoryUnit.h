#pragma once
// The steps of the editor, to be taken back and done again: a stroke, a
// fill, a number, a text, a new start. Each step keeps the whole stage as it
// was before it (a few kilobytes), so that a step of any kind goes back the
// same way.

#include "game/states/StageDraftUnit.h"

#include <cstdint>
#include <deque>
#include <optional>

class TDraftHistory {
public:
    static constexpr std::int32_t MaxSteps = 200;

    // A step is about to change `before`: it can be taken back; the steps
    // taken back before it can no longer be done again. The oldest step goes
    // when there are MaxSteps.
    void Record(const TStageDraft& before);
    // The stage before the last step, which `current` then follows as a step
    // to do again; none when there is no step.
    std::optional<TStageDraft> Undo(const TStageDraft& current);
    // The stage after the step taken back last; none when there is none.
    std::optional<TStageDraft> Redo(const TStageDraft& current);
    void Clear();

    std::int32_t UndoSteps() const { return static_cast<std::int32_t>(Past.size()); }
    std::int32_t RedoSteps() const { return static_cast<std::int32_t>(Future.size()); }

private:
    std::deque<TStageDraft> Past;   // the newest last
    std::deque<TStageDraft> Future; // the next to do again last
};
