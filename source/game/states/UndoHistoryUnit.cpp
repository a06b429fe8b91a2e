#include "game/states/UndoHistoryUnit.h"

#include <cassert>

TUndoHistory::TUndoHistory()
    : Changes(static_cast<std::size_t>(MaxStrokes * MaxStrokeChanges)),
      ChangeCount(static_cast<std::size_t>(MaxStrokes)) {}

std::size_t TUndoHistory::SlotIndex(std::int32_t stroke) const {
    return static_cast<std::size_t>((First + stroke) % MaxStrokes);
}

std::span<TCellChange> TUndoHistory::Slot(std::int32_t stroke) {
    return std::span(Changes).subspan(SlotIndex(stroke) * MaxStrokeChanges, MaxStrokeChanges);
}

void TUndoHistory::OpenStroke() {
    if (Count == MaxStrokes) {
        First = (First + 1) % MaxStrokes;
        --Count;
    }
    ChangeCount[SlotIndex(Count)] = 0;
    ++Count;
    StrokeOpen = true;
}

bool TUndoHistory::Record(TCellPos cell, TCellType before) {
    const bool first = !StrokeOpen;
    if (first)
        OpenStroke();
    std::int32_t& count = ChangeCount[SlotIndex(Count - 1)];
    assert(count < MaxStrokeChanges);
    Slot(Count - 1)[static_cast<std::size_t>(count++)] = TCellChange(cell, before);
    return first;
}

// Whatever comes next starts a stroke of its own, even in the middle of a drag.
std::span<const TCellChange> TUndoHistory::TakeLastStroke() {
    StrokeOpen = false;
    if (Count == 0)
        return {};
    --Count;
    const std::int32_t count = ChangeCount[SlotIndex(Count)];
    return Slot(Count).first(static_cast<std::size_t>(count));
}

void TUndoHistory::Clear() {
    Count = 0;
    StrokeOpen = false;
}
