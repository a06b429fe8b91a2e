#pragma once
// A stage being made in the editor: its map, its ten numbers, its name and
// its hint. Every change goes through a call that keeps the stage playable:
// the cells under the gauges and the frame stay hidden walls, the column and
// row beyond the pictures stay empty, each number stays within its range, and
// the texts within their length.

#include "game/stagemaker/StageSourceUnit.h"
#include "game/states/StrokeUnit.h"
#include "game/texts/PlayerTextsUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The cells a stage's pictures cover; column 64 and row 48 lie beyond them.
inline constexpr std::int32_t DraftPictureColumns = MapColumns - 1;
inline constexpr std::int32_t DraftPictureRows = MapRows - 1;
// Columns 0-3 lie under the gauges and column 63 under the frame.
inline constexpr std::int32_t DraftGaugeColumns = 4;

// The ten numbers in the order the editor shows them.
enum TStageNumberId : std::uint8_t {
    snPool,
    snBlue,
    snClear,
    snRedLimit,
    snRadius,
    snMaxSpeed,
    snGravity,
    snDecay,
    snShake,
    snSwap,
};
inline constexpr std::size_t StageNumberCount = 10;

// A number is kept as a count of its smallest step: 1.2 pixels of gravity
// with a scale of 10 is 12, so stepping it never drifts.
struct TStageNumberKind {
    const char* Key;        // its key in data.xml
    std::string_view Label; // in English, shown in the player's language
    std::string_view Unit;
    std::int32_t Scale; // 1, 10 or 100: the value is the count / Scale
    std::int32_t Min;   // counts; the pool and the water counts also bound each other
    std::int32_t Max;
    std::int32_t Step; // a Left or Right press
};

inline constexpr std::array<TStageNumberKind, StageNumberCount> StageNumberKinds = {{
    {"water_particle_num", TextId("Pool"), TextId("drops"), 1, 100, 2000, 50},
    {"blue_water_num", TextId("Blue water"), TextId("drops"), 1, 1, 2000, 50},
    {"blue_water_num_for_clear", TextId("Blue out to clear"), TextId("drops"), 1, 1, 2000, 10},
    {"etc_water_num_for_end", TextId("Red out to lose"), TextId("drops"), 1, 1, 2000, 10},
    // Below half a cell, so that a drop meets every drop it touches in the next cells.
    {"water_radius", TextId("Drop radius"), TextId("pixels"), 1, 3, 6, 1},
    // Below a cell a frame, so that no drop passes through a wall.
    {"water_max_velocity", TextId("Top speed"), TextId("px/frame"), 10, 20, 120, 5},
    {"water_gravity", TextId("Gravity"), TextId("px/frame"), 10, 2, 30, 1},
    {"water_velocity_decay_rate", TextId("Speed kept"), TextId("per frame"), 100, 90, 100, 1},
    {"water_shake_velocity", TextId("Shake"), TextId("px/frame"), 10, 0, 20, 1},
    {"water_swap_frequency", TextId("Red rises"), TextId("chance/frame"), 100, 0, 100, 5},
}};

struct TNumberRange {
    std::int32_t Min = 0;
    std::int32_t Max = 0;
};

// A number's count as the editor and data.xml write it: "1200", "1.2", "0.98".
std::string StageNumberText(TStageNumberId id, std::int32_t count);

using TDraftMap = std::array<std::array<TCellType, MapRows>, MapColumns>;

class TStageDraft {
public:
    // An empty tower: the frame, a floor of blocks with outlets in it, and a
    // pipe of sources at the top that pours onto it; numbers of the course's
    // first stages.
    static TStageDraft Blank();
    // The stage the box loaded last, as it was loaded (the player's edits
    // left out), with its name and hint; numbers outside their ranges are
    // brought into them, the frame cells are made hidden walls.
    static TStageDraft FromBox(const TVaporelBox& box, std::string_view name, std::string_view hint);

    TCellType Cell(TCellPos cell) const { return Map[Index(cell.Column)][Index(cell.Row)]; }
    const TDraftMap& Cells() const { return Map; }
    // Whether the editor may change the cell: inside the pictures, off the
    // gauges and the frame.
    static bool IsEditable(TCellPos cell);
    // False when the cell is not editable or has the type already.
    bool SetCell(TCellPos cell, TCellType type);
    // Sets the editable cells of the rectangle with corners `a` and `b`;
    // answers how many changed.
    std::int32_t Fill(TCellPos a, TCellPos b, TCellType type);

    std::int32_t Number(TStageNumberId id) const { return Numbers[id]; }
    // The range the number may take now: the pool bounds the blue water, the
    // blue water the clear count, and the red water (the pool less the blue)
    // the red limit.
    TNumberRange Range(TStageNumberId id) const;
    // Sets the number within its range; the numbers it bounds follow into
    // theirs. False when nothing changed.
    bool SetNumber(TStageNumberId id, std::int32_t count);
    std::string NumberText(TStageNumberId id) const { return StageNumberText(id, Numbers[id]); }

    const std::string& Name() const { return Name_; }
    const std::string& Hint() const { return Hint_; }
    // Set as given, also empty (a stage is published only with both); a text
    // that does not fit (too long, a control character, not UTF-8, "--" in a
    // name, which would end data.xml's comment) is refused with false.
    bool SetName(std::string name);
    bool SetHint(std::string hint);
    static bool FitsName(std::string_view name);
    static bool FitsHint(std::string_view hint);

    // The same stage to play: the same map and numbers, whatever the texts.
    bool SamePlay(const TStageDraft& other) const { return Map == other.Map && Numbers == other.Numbers; }
    bool operator==(const TStageDraft&) const = default;

private:
    static std::size_t Index(std::int32_t i) { return static_cast<std::size_t>(i); }
    void ClampDependentNumbers();

    TDraftMap Map{};
    std::array<std::int32_t, StageNumberCount> Numbers{};
    std::string Name_;
    std::string Hint_;
};
