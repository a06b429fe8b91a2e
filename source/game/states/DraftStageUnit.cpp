#include "game/states/DraftStageUnit.h"
void WriteDraftStage(const TStageDraft&, const std::optional<TStagePar>&, const std::string&) {
    throw Exception("TEMPORARY");
}
