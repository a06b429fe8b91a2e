#include "game/stages/StageChoiceUnit.h"

#include <algorithm>
#include <optional>

namespace {

std::optional<std::size_t> FirstUnclearedIn(const std::vector<TStageInfo>& stages, const TProgress& progress,
                                            std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (!progress.IsCleared(stages[i].Name))
            return i;
    return std::nullopt;
}

} // namespace

std::size_t FirstUnclearedStage(const std::vector<TStageInfo>& stages, const TProgress& progress) {
    return FirstUnclearedIn(stages, progress, 0, stages.size()).value_or(0);
}

std::size_t NextUnclearedStage(const std::vector<TStageInfo>& stages, const TProgress& progress,
                               std::size_t played) {
    if (const auto after = FirstUnclearedIn(stages, progress, played + 1, stages.size()))
        return *after;
    if (const auto before = FirstUnclearedIn(stages, progress, 0, played))
        return *before;
    return std::min(played + 1, stages.size() - 1);
}
