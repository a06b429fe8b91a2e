#pragma once
// The player's last strokes, to be taken back one by one. The store is
// allocated once: a slot per stroke large enough for every cell of the map,
// since a stroke changes each cell once at most, and a change is 16 bits.

#include "game/states/StrokeUnit.h"

#include <cstdint>
#include <span>
#include <vector>

// One changed cell: where, and the type it had before.
class TCellChange {
public:
    TCellChange() = default;
    TCellChange(TCellPos cell, TCellType before)
        : Packed(static_cast<std::uint16_t>((cell.Column * MapRows + cell.Row) << TypeBits | before)) {}

    TCellPos Cell() const {
        const std::int32_t index = Packed >> TypeBits;
        return {index / MapRows, index % MapRows};
    }
    TCellType Before() const { return static_cast<TCellType>(Packed & TypeMask); }

private:
    static constexpr int TypeBits = 3;
    static constexpr std::uint16_t TypeMask = (1u << TypeBits) - 1;
    static_assert(CellTypeCount <= 1 << TypeBits);
    static_assert(MapColumns * MapRows < 1 << (16 - TypeBits), "a cell's index and type fit 16 bits");

    std::uint16_t Packed = 0;
};

class TUndoHistory {
public:
    static constexpr std::int32_t MaxStrokes = 100;
    static constexpr std::int32_t MaxStrokeChanges = MapColumns * MapRows;

    TUndoHistory();

    // The next change opens a new stroke. A stroke that changes nothing
    // leaves no trace; the 101st pushes out the oldest.
    void BeginStroke() { StrokeOpen = false; }
    // A cell the current stroke changed, with its type before. Each cell
    // once per stroke. True for the stroke's first change.
    bool Record(TCellPos cell, TCellType before);
    // Takes the last stroke out of the history and gives its changes, the
    // first one first; empty when there is none. Valid until the next Record.
    std::span<const TCellChange> TakeLastStroke();
    void Clear();

    std::int32_t StrokeCount() const { return Count; }

private:
    std::size_t SlotIndex(std::int32_t stroke) const; // stroke 0 is the oldest
    std::span<TCellChange> Slot(std::int32_t stroke);
    void OpenStroke();

    std::vector<TCellChange> Changes;      // MaxStrokes slots of MaxStrokeChanges
    std::vector<std::int32_t> ChangeCount; // per slot
    std::int32_t First = 0;                // slot of the oldest stroke
    std::int32_t Count = 0;
    bool StrokeOpen = false;
};
