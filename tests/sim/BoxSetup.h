#pragma once
// The one way a test or a benchmark writes the box's own data: a pool made to
// measure, parameters no stage file has, a state a play would take minutes to
// reach. Only the box's steps and loads write it otherwise.

#include "game/water/VaporelBoxUnit.h"

#include <cstdint>
#include <string>
#include <vector>

class TBoxSetup {
public:
    explicit TBoxSetup(TVaporelBox& box) : Box_(box) {}

    TStageParameters& Parameters() { return Box_.Parameters_; }
    // The slots as they are; their count is the box's pool.
    std::vector<TWaterParticle>& Particles() { return Box_.Particles_; }
    void SetSpawnCursor(std::int32_t cursor) { Box_.SpawnCursor_ = cursor; }
    void SetOutCounts(std::int32_t blue, std::int32_t etc) {
        Box_.BlueOutCount_ = blue;
        Box_.EtcOutCount_ = etc;
    }
    void SetState(TBoxState state, std::int32_t timer) {
        Box_.State_ = state;
        Box_.StateTimer_ = timer;
    }
    void SetFinished(bool finished) { Box_.Finished_ = finished; }
    void SetStagePath(const std::string& path) { Box_.StagePath_ = path; }

private:
    TVaporelBox& Box_;
};
