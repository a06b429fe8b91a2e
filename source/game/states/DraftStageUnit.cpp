#include "game/states/DraftStageUnit.h"

#include "game/stagemaker/StageFolderUnit.h"

#include <filesystem>

namespace {

// The stage maker's character of each cell type, in the order of TCellType.
constexpr std::string_view CellCharacters = ".#wODS";

// The seconds of a par as data.xml writes a real: whole tenths.
std::string ParSecondsText(std::int32_t frames) {
    const std::int32_t tenths = (frames + 5) / 6;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

} // namespace

TStageSource DraftStageSource(const TStageDraft& draft, const std::optional<TStagePar>& par) {
    TStageSource source;
    source.Name = draft.Name();
    source.Hint = draft.Hint();
    if (par) {
        source.ParCells = std::to_string(par->Cells);
        source.ParSeconds = ParSecondsText(par->Frames);
    }
    for (std::size_t i = 0; i < StageNumberCount; ++i)
        source.Parameters.emplace_back(StageNumberKinds[i].Key, draft.NumberText(static_cast<TStageNumberId>(i)));
    for (std::int32_t row = 0; row < MapRows; ++row)
        for (std::int32_t column = 0; column < MapColumns; ++column)
            source.Map[static_cast<std::size_t>(row)] += CellCharacters[draft.Cell({column, row})];
    return source;
}

void WriteDraftStage(const TStageDraft& draft, const std::optional<TStagePar>& par, const std::string& folder) {
    std::filesystem::remove_all(folder);
    MakeStageFolder(DraftStageSource(draft, par), folder);
}
