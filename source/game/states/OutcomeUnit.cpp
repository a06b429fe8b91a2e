#include "game/states/OutcomeUnit.h"

#include "game/render/GameRendererUnit.h"
#include "game/stages/StarsUnit.h"
#include "game/water/SettleWatchUnit.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/OpenGLBinding.h"

#include <cmath>

namespace {

constexpr std::int32_t FramesPerSecond = 60;
constexpr double TopBaseline = 62;      // where the goal stands while a play starts
constexpr double SettledBaseline = 100; // below it
constexpr TTextColor White{1, 1, 1};
constexpr TTextColor Gold{1.0f, 0.85f, 0.35f};
constexpr TTextColor Rose{1.0f, 0.62f, 0.55f};

// A star: ten points alternating between the outer and the inner radius.
constexpr int StarPoints = 10;
constexpr double InnerRadius = 0.4; // of the outer radius
constexpr double StarGap = 0.25;    // of a star's size, between stars
constexpr double Pi = 3.14159265358979323846;

void DrawStar(double centreX, double centreY, double radius, double z) {
    using namespace platform::gl;
    platform::GL().Begin(GL_TRIANGLES);
    for (int i = 0; i < StarPoints; ++i)
        for (const int k : {i, i + 1}) {
            const double r = k % 2 == 0 ? radius : radius * InnerRadius;
            const double angle = -Pi / 2 + k * Pi / (StarPoints / 2);
            if (k == i)
                platform::GL().Vertex3f(static_cast<float>(centreX), static_cast<float>(centreY),
                                        static_cast<float>(z));
            platform::GL().Vertex3f(static_cast<float>(centreX + r * std::cos(angle)),
                                    static_cast<float>(centreY + r * std::sin(angle)), static_cast<float>(z));
        }
    platform::GL().End();
}

} // namespace

std::int32_t HoldSecondsLeft(std::int32_t stateTimer) {
    // Finished comes in the frame whose advance takes the timer past the delay.
    const std::int32_t framesLeft = FinishDelayFrames + 1 - stateTimer;
    return (framesLeft + FramesPerSecond - 1) / FramesPerSecond;
}

std::int32_t HoldSecondsLeft(const TVaporelBox& box) {
    if (box.State() != bsCleared || box.Finished())
        return 0;
    return HoldSecondsLeft(box.StateTimer());
}

TPlayerLine HoldLine(std::int32_t secondsLeft, bool redWater) {
    return PlayerLine(redWater ? HoldFormat : HoldNoRedFormat, secondsLeft);
}

TPlayerLine KeptLine(std::size_t place, std::int32_t stars) {
    if (place > 0)
        return PlayerLine(KeptFormat, static_cast<int>(place), stars);
    return PlayerLine(KeptOwnFormat, stars);
}

void DrawPlayLines(TGameRenderer& renderer, const TVaporelBox& box, const TSettleWatch& watch) {
    if (const std::int32_t seconds = HoldSecondsLeft(box); seconds > 0)
        DrawFieldLine(renderer, HoldLine(seconds, box.PoolHoldsRedWater()).View(), TopBaseline, Gold);
    else if (box.State() == bsGameOver)
        DrawFieldLine(renderer, PlayerText(LostText), TopBaseline, Rose);
    if (box.State() != bsPlaying)
        return;
    if (watch.Settled())
        DrawFieldLine(renderer, PlayerText(SettledText), SettledBaseline, White);
    else if (watch.Stalled())
        DrawFieldLine(renderer, PlayerText(StalledText), SettledBaseline, White);
}

// Culling is off for the stars, whose triangles turn either way.
double DrawStars(TGameRenderer& renderer, double left, double centreY, double size, std::int32_t earned,
                 double z) {
    platform::GL().Disable(platform::gl::GL_CULL_FACE);
    renderer.SetBlendNormal();
    double centreX = left + size / 2;
    for (std::int32_t star = 0; star < MaxStars; ++star) {
        if (star < earned)
            platform::GL().Color4f(Gold.R, Gold.G, Gold.B, 1);
        else
            platform::GL().Color4f(1, 1, 1, 0.25f);
        DrawStar(centreX, centreY, size / 2, z);
        centreX += size * (1 + StarGap);
    }
    renderer.SetBlendNone();
    platform::GL().Enable(platform::gl::GL_CULL_FACE);
    platform::GL().Color4f(1, 1, 1, 1);
    return centreX - size / 2 - size * StarGap;
}
