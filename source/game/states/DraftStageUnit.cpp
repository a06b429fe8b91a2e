#include "game/states/DraftStageUnit.h"

#include "game/stagemaker/StageFolderUnit.h"
#include "game/stages/StagePackUnit.h"

#include <algorithm>
#include <filesystem>

TStageSource DraftStageSource(const TStageDraft& draft) {
    TStageSource source;
    source.Name = draft.Name();
    source.Hint = draft.Hint();
    for (const char* key : StageParameterKeys()) {
        const auto kind =
            std::find_if(StageNumberKinds.begin(), StageNumberKinds.end(),
                         [&](const TStageNumberKind& k) { return std::string_view(k.Key) == key; });
        const auto id = static_cast<TStageNumberId>(kind - StageNumberKinds.begin());
        source.Parameters.emplace_back(key, draft.NumberText(id));
    }
    for (std::int32_t row = 0; row < MapRows; ++row)
        for (std::int32_t column = 0; column < MapColumns; ++column)
            source.Map[static_cast<std::size_t>(row)] += StageCellCharacters[draft.Cell({column, row})];
    return source;
}

TStageSource ProvedStageSource(const TStageDraft& draft, const TStageProof& proof) {
    TStageSource source = DraftStageSource(draft);
    SetParOfProof(source, proof.Replay, proof.ClearFrame);
    return source;
}

void WriteDraftStage(const TStageDraft& draft, const std::string& folder) {
    std::filesystem::remove_all(folder);
    MakeStageFolder(DraftStageSource(draft), folder);
}
