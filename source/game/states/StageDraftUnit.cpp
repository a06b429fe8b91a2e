#include "game/states/StageDraftUnit.h"

#include "game/core/Utf8TextUnit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The pipe of the blank stage: sources in the top row, over the middle.
constexpr std::int32_t BlankPipeFirstColumn = 30;
constexpr std::int32_t BlankPipeLastColumn = 35;
constexpr std::int32_t FloorRow = DraftPictureRows - 1;
// The numbers of the blank stage, as counts: those of the course's first stage.
constexpr std::array<std::int32_t, StageNumberCount> BlankNumbers = {1200, 800, 300, 150, 4,
                                                                     70,   12,  98,  5,   10};

bool IsFrameCell(TCellPos cell) {
    return cell.Row < DraftPictureRows &&
           (cell.Column < DraftGaugeColumns || cell.Column == DraftPictureColumns - 1);
}

// Whole UTF-8 without control characters, within `maxLetters`.
bool FitsText(std::string_view text, std::size_t maxLetters) {
    const bool control = std::any_of(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    return !FirstBadUtf8Byte(text) && !control && Utf8LetterCount(text) <= maxLetters;
}

std::int32_t CountOf(TStageNumberId id, double value) {
    return static_cast<std::int32_t>(std::lround(value * StageNumberKinds[id].Scale));
}

} // namespace

std::string StageNumberText(TStageNumberId id, std::int32_t count) {
    const std::int32_t scale = StageNumberKinds[id].Scale;
    char text[32];
    if (scale == 1)
        std::snprintf(text, sizeof text, "%d", count);
    else
        std::snprintf(text, sizeof text, "%d.%0*d", count / scale, scale == 10 ? 1 : 2, count % scale);
    return text;
}

TStageDraft TStageDraft::Blank() {
    TStageDraft draft;
    for (std::int32_t column = 0; column < MapColumns; ++column)
        for (std::int32_t row = 0; row < MapRows; ++row) {
            const TCellPos cell{column, row};
            TCellType type = ctEmpty;
            if (IsFrameCell(cell))
                type = ctWall;
            else if (IsEditable(cell) && row == FloorRow)
                type = ctBlock;
            else if (row == 0 && column >= BlankPipeFirstColumn && column <= BlankPipeLastColumn)
                type = ctSource;
            draft.Map[Index(column)][Index(row)] = type;
        }
    draft.Numbers = BlankNumbers;
    return draft;
}

TStageDraft TStageDraft::FromBox(const TVaporelBox& box, std::string_view name, std::string_view hint) {
    TStageDraft draft = Blank();
    for (std::int32_t column = 0; column < MapColumns; ++column)
        for (std::int32_t row = 0; row < MapRows; ++row)
            if (IsEditable({column, row}))
                draft.Map[Index(column)][Index(row)] =
                    box.StageCellTypes()[static_cast<std::size_t>(column)][static_cast<std::size_t>(row)];
    const TStageParameters& p = box.Parameters();
    const double values[StageNumberCount] = {static_cast<double>(p.WaterParticleNum),
                                             static_cast<double>(p.BlueWaterNum),
                                             static_cast<double>(p.BlueWaterNumForClear),
                                             static_cast<double>(p.EtcWaterNumForEnd),
                                             static_cast<double>(p.WaterRadius),
                                             p.WaterMaxVelocity,
                                             p.WaterGravity,
                                             p.WaterVelocityDecayRate,
                                             p.WaterShakeVelocity,
                                             p.WaterSwapFrequency};
    for (std::size_t i = 0; i < StageNumberCount; ++i) {
        const auto id = static_cast<TStageNumberId>(i);
        draft.SetNumber(id, CountOf(id, values[i]));
    }
    draft.SetName(std::string(name));
    draft.SetHint(std::string(hint));
    return draft;
}

bool TStageDraft::IsEditable(TCellPos cell) {
    return cell.Column >= 0 && cell.Row >= 0 && cell.Column < DraftPictureColumns &&
           cell.Row < DraftPictureRows && !IsFrameCell(cell);
}

bool TStageDraft::SetCell(TCellPos cell, TCellType type) {
    if (!IsEditable(cell) || Cell(cell) == type)
        return false;
    Map[Index(cell.Column)][Index(cell.Row)] = type;
    return true;
}

std::int32_t TStageDraft::Fill(TCellPos a, TCellPos b, TCellType type) {
    std::int32_t changed = 0;
    for (std::int32_t column = std::min(a.Column, b.Column); column <= std::max(a.Column, b.Column); ++column)
        for (std::int32_t row = std::min(a.Row, b.Row); row <= std::max(a.Row, b.Row); ++row)
            changed += SetCell({column, row}, type) ? 1 : 0;
    return changed;
}

TNumberRange TStageDraft::Range(TStageNumberId id) const {
    const TStageNumberKind& kind = StageNumberKinds[id];
    switch (id) {
    case snBlue: return {kind.Min, Numbers[snPool]};
    case snClear: return {kind.Min, Numbers[snBlue]};
    case snRedLimit: return {kind.Min, std::max(kind.Min, Numbers[snPool] - Numbers[snBlue])};
    default: return {kind.Min, kind.Max};
    }
}

bool TStageDraft::SetNumber(TStageNumberId id, std::int32_t count) {
    const TNumberRange range = Range(id);
    const std::array<std::int32_t, StageNumberCount> before = Numbers;
    Numbers[id] = std::clamp(count, range.Min, range.Max);
    ClampDependentNumbers();
    return Numbers != before;
}

// In the order they bound each other: the pool, the blue water, the rest.
void TStageDraft::ClampDependentNumbers() {
    for (const TStageNumberId id : {snBlue, snClear, snRedLimit}) {
        const TNumberRange range = Range(id);
        Numbers[id] = std::clamp(Numbers[id], range.Min, range.Max);
    }
}

bool TStageDraft::FitsName(std::string_view name) {
    return FitsText(name, MaxStageNameLetters) && name.find("--") == std::string_view::npos;
}

bool TStageDraft::FitsHint(std::string_view hint) {
    return FitsText(hint, MaxStageHintLetters);
}

bool TStageDraft::SetName(std::string name) {
    if (!FitsName(name))
        return false;
    Name_ = std::move(name);
    return true;
}

bool TStageDraft::SetHint(std::string hint) {
    if (!FitsHint(hint))
        return false;
    Hint_ = std::move(hint);
    return true;
}
