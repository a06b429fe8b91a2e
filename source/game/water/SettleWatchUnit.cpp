#include "game/water/SettleWatchUnit.h"

#include "game/water/VaporelBoxUnit.h"

#include <algorithm>

TWaterMotion WaterMotion(const TVaporelBox& box) {
    constexpr double limit = SettledSpeed * SettledSpeed;
    TWaterMotion motion;
    for (const TWaterParticle& p : box.Particles) {
        motion.Active += p.Active ? 1 : 0;
        motion.Moving +=
            p.Active && p.Velocity.x * p.Velocity.x + p.Velocity.y * p.Velocity.y > limit ? 1 : 0;
    }
    return motion;
}

// A drain or the map's edge takes a particle out of play, a source or a pour
// puts one in (and moves the spawn cursor), an outlet counts it.
TSettleWatch::TCounts TSettleWatch::CountsOf(const TVaporelBox& box) {
    return TCounts{box.BlueOutCount, box.EtcOutCount, box.ActiveParticleCount(), box.SpawnCursor};
}

void TSettleWatch::Watch(const TVaporelBox& box) {
    const TCounts counts = CountsOf(box);
    CalmFrames_ = counts == Last ? std::min(CalmFrames_ + 1, SettleFrames) : 0;
    Last = counts;
    Now = WaterMotion(box);
    WindowSum.Active += Now.Active - Window[Next].Active;
    WindowSum.Moving += Now.Moving - Window[Next].Moving;
    Window[Next] = Now;
    Next = (Next + 1) % Window.size();
}

// The window is full once the calm has lasted SettleFrames: every frame in it is calm.
bool TSettleWatch::Settled() const {
    return CalmFrames_ >= SettleFrames && WindowSum.Moving * AverageMovingShare <= WindowSum.Active &&
           Now.Moving * FrameMovingShare <= Now.Active;
}
