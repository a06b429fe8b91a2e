#pragma once
// Whether the water has settled: for SettleFrames timed frames in a row no
// particle left through an outlet, a drain or the map's edge, no particle was
// put into play, and the water rested. The watch only reads the box, so
// the game, the replay and the stage runner say the same.

#include <array>
#include <cstddef>
#include <cstdint>

class TVaporelBox;

// About three seconds at 60 frames a second.
inline constexpr std::int32_t SettleFrames = 180;
// Pixels a frame: a particle that moved no farther rested (the box's own
// rule), and a resting one is only shaken.
inline constexpr double SettledSpeed = 1.0;
// Resting water still pops in bursts where it is packed tight or where red
// and blue change places; a flow moves far more of it. The water rests
// while, over the last SettleFrames frames, at most one active particle in
// AverageMovingShare moved faster than SettledSpeed, and in this frame at
// most one in FrameMovingShare.
inline constexpr std::int32_t AverageMovingShare = 10;
inline constexpr std::int32_t FrameMovingShare = 3;

// Active particles, and those of them faster than SettledSpeed.
struct TWaterMotion {
    std::int32_t Active = 0;
    std::int32_t Moving = 0;
};
TWaterMotion WaterMotion(const TVaporelBox& box);

class TSettleWatch {
public:
    // After each frame of the box. Allocates nothing.
    void Watch(const TVaporelBox& box);
    // A new play: nothing seen yet.
    void Reset() { *this = TSettleWatch(); }
    bool Settled() const;
    // Frames in a row in which no particle left or came into play, up to SettleFrames.
    std::int32_t CalmFrames() const { return CalmFrames_; }

private:
    struct TCounts {
        std::int32_t BlueOut = -1, EtcOut = -1, Active = -1, SpawnCursor = -1;
        bool operator==(const TCounts&) const = default;
    };
    static TCounts CountsOf(const TVaporelBox& box);

    TCounts Last;
    std::int32_t CalmFrames_ = 0;
    // The motion of the last SettleFrames frames, oldest overwritten first.
    std::array<TWaterMotion, SettleFrames> Window{};
    std::size_t Next = 0; // where the next frame's motion goes
    TWaterMotion Now, WindowSum;
};
