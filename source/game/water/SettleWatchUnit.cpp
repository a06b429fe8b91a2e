#include "game/water/SettleWatchUnit.h"

#include "game/water/VaporelBoxUnit.h"

#include <algorithm>
#include <cstdlib>

bool ShapeRests(std::int64_t change, std::int32_t active) {
    // change / (2 · ShapeFrames) particles moved, at most active / RestingShapeShare.
    return change * RestingShapeShare <= std::int64_t{2} * ShapeFrames * active;
}

// A drain or the map's edge takes a particle out of play, a source or a pour
// puts one in (and moves the spawn cursor), an outlet counts it.
TSettleWatch::TCounts TSettleWatch::CountsOf(const TVaporelBox& box) {
    return TCounts{box.BlueOutCount(), box.EtcOutCount(), box.ActiveParticleCount(), box.SpawnCursor()};
}

void TSettleWatch::Watch(const TVaporelBox& box) {
    WatchCounts(box);
    WatchShape(box);
}

void TSettleWatch::WatchCounts(const TVaporelBox& box) {
    const TCounts counts = CountsOf(box);
    CalmFrames_ = counts == Last ? std::min(CalmFrames_ + 1, SettleFrames) : 0;
    if (Last.Active >= 0)
        WatchGoingRound(counts, static_cast<std::int32_t>(box.Particles().size()));
    Last = counts;
}

// The spawn cursor moves by one a particle poured, round the pool; what was
// poured and is no longer in play nor counted by an outlet left elsewhere.
void TSettleWatch::WatchGoingRound(const TCounts& counts, std::int32_t poolSize) {
    const std::int32_t poured =
        poolSize > 0 ? (counts.SpawnCursor - Last.SpawnCursor + poolSize) % poolSize : 0;
    const std::int32_t throughOutlets = counts.BlueOut - Last.BlueOut + counts.EtcOut - Last.EtcOut;
    const std::int32_t takenElsewhere = Last.Active + poured - counts.Active - throughOutlets;
    OutletCalmFrames = throughOutlets > 0 ? 0 : std::min(OutletCalmFrames + 1, StallFrames);
    if (takenElsewhere > 0) {
        if (UndrainedFrames >= SettleFrames)
            GoingRoundFrames = 0; // it starts again after a pause
        UndrainedFrames = 0;
    } else
        UndrainedFrames = std::min(UndrainedFrames + 1, StallFrames);
    GoingRoundFrames = std::min(GoingRoundFrames + 1, StallFrames);
}

void TSettleWatch::WatchShape(const TVaporelBox& box) {
    for (const TWaterParticle& p : box.Particles()) {
        if (!p.Active)
            continue;
        const int column = CellIndex(p.Position.x, MapColumns);
        const int row = CellIndex(p.Position.y, MapRows);
        if (column >= 0 && row >= 0)
            ++Shape[static_cast<std::size_t>(column * MapRows + row)];
    }
    if (++ShapeFrame < ShapeFrames)
        return;
    std::int64_t change = 0;
    for (std::size_t cell = 0; cell < Shape.size(); ++cell)
        change += std::abs(Shape[cell] - LastShape[cell]);
    ShapesSummed = std::min(ShapesSummed + 1, 2);
    const bool rests = ShapesSummed == 2 && ShapeRests(change, Last.Active);
    RestingShapesInRow = rests ? std::min(RestingShapesInRow + 1, RestingShapes) : 0;
    LastShape = Shape;
    Shape.fill(0);
    ShapeFrame = 0;
}

bool TSettleWatch::Settled() const {
    return CalmFrames_ >= SettleFrames && RestingShapesInRow >= RestingShapes;
}

// Going round now, and for as long as no water left through an outlet.
bool TSettleWatch::Stalled() const {
    return UndrainedFrames < SettleFrames && OutletCalmFrames >= StallFrames &&
           GoingRoundFrames >= StallFrames;
}
