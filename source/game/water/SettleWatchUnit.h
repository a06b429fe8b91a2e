#pragma once
// Two ways a play can stand still, as a player sees them. Settled: for
// SettleFrames timed frames in a row no particle left through an outlet, a
// drain or the map's edge, no particle was put into play, and the water's
// shape rested. Stalled: for StallFrames no particle left through an outlet
// while the water went round, taken by drains or the map's edge and poured
// again by the sources. The watch only reads the box, so the game, the replay
// and the stage runner say the same.

#include "game/water/WaterTypesUnit.h"

#include <array>
#include <cstdint>

class TVaporelBox;

// About three seconds at 60 frames a second.
inline constexpr std::int32_t SettleFrames = 180;
// A second. The water's shape is how many particles each map cell held,
// summed over this many frames.
inline constexpr std::int32_t ShapeFrames = 60;
// Shapes compared in a row, all at rest, before the water counts as resting.
inline constexpr std::int32_t RestingShapes = SettleFrames / ShapeFrames;
// A pool at rest churns inside: most of its particles move more than a pixel
// a frame, and in a second they wander tens of pixels, but its shape stays.
// Between two seconds at rest one particle in 28 to one in 55 changes its
// cell in the deep pools of 400 of the shipped stages, fewer in shallow or
// small ones; a spill or a stream moves one in 12 or more. The water rests
// while at most one in RestingShapeShare does.
inline constexpr std::int32_t RestingShapeShare = 20;
// Twenty seconds without water through an outlet, going round meanwhile.
inline constexpr std::int32_t StallFrames = 1200;

// Whether one second's shape differs from the second's before by rest only:
// `change` is the sum over all cells of the difference of their counts,
// `active` the particles in play. A particle that moved to another cell for
// the whole second changes two cells by ShapeFrames each.
bool ShapeRests(std::int64_t change, std::int32_t active);

class TSettleWatch {
public:
    // After each frame of the box. Allocates nothing.
    void Watch(const TVaporelBox& box);
    // A new play: nothing seen yet.
    void Reset() { *this = TSettleWatch(); }
    bool Settled() const;
    bool Stalled() const;
    // Frames in a row in which no particle left or came into play, up to SettleFrames.
    std::int32_t CalmFrames() const { return CalmFrames_; }

private:
    struct TCounts {
        std::int32_t BlueOut = -1, EtcOut = -1, Active = -1, SpawnCursor = -1;
        bool operator==(const TCounts&) const = default;
    };
    using TShape = std::array<std::int32_t, MapColumns * MapRows>;

    static TCounts CountsOf(const TVaporelBox& box);
    void WatchCounts(const TVaporelBox& box);
    void WatchGoingRound(const TCounts& counts, std::int32_t poolSize);
    void WatchShape(const TVaporelBox& box);

    TCounts Last;
    std::int32_t CalmFrames_ = 0;
    // The stall: frames since water last left through an outlet, since a
    // particle was last taken out of play elsewhere, and since the water
    // began to go round; each stops counting at StallFrames.
    std::int32_t OutletCalmFrames = 0;
    std::int32_t UndrainedFrames = StallFrames;
    std::int32_t GoingRoundFrames = 0;
    // The second being summed and the one before it.
    TShape Shape{}, LastShape{};
    std::int32_t ShapeFrame = 0;   // frames summed into Shape
    std::int32_t ShapesSummed = 0; // whole seconds summed, up to 2
    std::int32_t RestingShapesInRow = 0;
};
