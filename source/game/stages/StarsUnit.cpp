#include "game/stages/StarsUnit.h"

#include "game/stages/StageListUnit.h"
#include "game/texts/PlayerTextsUnit.h"

#include <algorithm>

namespace {
constexpr std::int32_t FramesPerSecond = 60;
constexpr std::int32_t TenthsPerSecond = 10;
constexpr std::string_view SecondsFormat = TextId("%lld.%lld s"); // seconds and tenths
} // namespace

std::int32_t StarsFor(const TStageResult& result, const std::optional<TStagePar>& par) {
    if (!par)
        return 1;
    return 1 + (result.Cells <= par->Cells ? 1 : 0) + (result.Frames <= par->Frames ? 1 : 0);
}

std::int32_t KeptStars(const TProgress& progress, const TStageInfo& stage) {
    if (!progress.IsCleared(stage.Name))
        return 0;
    if (const std::optional<std::int32_t> stars = progress.Stars(stage.Name))
        return std::min(*stars, MaxStars);
    const std::optional<TStageResult> best = progress.Best(stage.Name);
    return best ? StarsFor(*best, stage.Par) : 1;
}

void RecordKeptClear(TProgress& progress, const TStageInfo& stage, const TStageResult& result) {
    progress.RecordClear(stage.Name, result,
                         std::max(StarsFor(result, stage.Par), KeptStars(progress, stage)));
}

std::string SecondsText(std::int32_t frames) {
    const std::int64_t tenths =
        (std::int64_t{frames} * TenthsPerSecond + FramesPerSecond - 1) / FramesPerSecond;
    return PlayerFormat(SecondsFormat, static_cast<long long>(tenths / TenthsPerSecond),
                        static_cast<long long>(tenths % TenthsPerSecond));
}
