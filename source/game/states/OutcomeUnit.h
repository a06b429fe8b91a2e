#pragma once
// What the screens say about how a play stands: while a clear is not yet
// kept, the seconds the red water must stay out; a lost play's key to try it
// again with the player's cells; settled or stalled water and what to do
// about it; the
// stars a kept clear earned. The texts are formatted into buffers of their
// own, so that drawing them allocates nothing.

#include "game/states/GuideUnit.h"

#include <cstdint>
#include <string_view>

class TGameRenderer;
class TSettleWatch;
class TVaporelBox;

// The key that plays a lost stage again with the player's own cells.
inline constexpr std::uint16_t RetryKey = 'T';

inline constexpr std::string_view HoldFormat = "Cleared! Keep the red water out: %d s";
// The hold where the pool holds no red water: nothing can undo the clear.
inline constexpr std::string_view HoldNoRedFormat = TextId("Cleared! The clear is kept in %d s");
inline constexpr std::string_view KeptFormat = "Clear kept! Stage %d: %d of 3 stars";
inline constexpr std::string_view KeptOwnFormat = "Clear kept! %d of 3 stars";
inline constexpr std::string_view LostText =
    "Lost. T: try again with your cells   R: pour again   L: as it was";
inline constexpr std::string_view LostTitleText = "Lost. T: try it again with your cells";
inline constexpr std::string_view SettledText =
    "The water has settled. Change the map, or press R to pour it again.";
inline constexpr std::string_view StalledText =
    TextId("For 20 s no water left through an outlet: close a drain, or open a way out.");

// Whole seconds (rounded up) until the clear is kept, `stateTimer` frames
// after the frame that cleared the stage took the timer to 0 and advanced it.
std::int32_t HoldSecondsLeft(std::int32_t stateTimer);
// The same for the box while the stage is cleared and not yet Finished; 0 otherwise.
std::int32_t HoldSecondsLeft(const TVaporelBox& box);
// The hold in the player's language: "Cleared! Keep the red water out: 4 s",
// or where the pool holds no red water "Cleared! The clear is kept in 4 s".
TPlayerLine HoldLine(std::int32_t secondsLeft, bool redWater);
// The title's line after a kept clear: the stage's place in the course (0
// for a player's own stage) and the stars the clear earned.
TPlayerLine KeptLine(std::size_t place, std::int32_t stars);

// The lines over the field during a play: the hold countdown or the lost
// play's keys at the top, settled or stalled water below it.
void DrawPlayLines(TGameRenderer& renderer, const TVaporelBox& box, const TSettleWatch& watch);
// Stars from (left, centre y), `size` pixels across each: the earned ones
// filled, the others dim, MaxStars in all; answers the right end.
double DrawStars(TGameRenderer& renderer, double left, double centreY, double size, std::int32_t earned,
                 double z);
