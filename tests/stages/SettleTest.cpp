// The settled-water and stalled-water signals on a stage built to settle
// (settle-stage.txt: a closed basin under a short pipe), made into a folder of
// its own, and the settled water on the shipped stages whose pools stand still.

#include "CoursePlay.h"
#include "StageTestFolder.h"
#include "game/stagemaker/StageFolderUnit.h"
#include "game/water/SettleWatchUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr std::int32_t FloorRow = 30, FloorColumn = 30; // a cell of the basin's floor
constexpr std::int32_t SettlesWithin = 1200;            // frames: the pool is full and still long before

class SettledWater : public StageTestFolder {
protected:
    void SetUp() override {
        StageTestFolder::SetUp();
        MakeStageFolder(ReadStageSource(VAPOREL_SETTLE_STAGE), root / "settle");
        SetRandSeed(0);
        box = std::make_unique<TVaporelBox>(profiler);
        box->LoadStage((root / "settle").string());
        box->Restart();
    }

    void Frame() {
        box->Execute();
        watch.Watch(*box);
    }
    // The frame in which the watch first says settled, or 0 within `frames`.
    std::int32_t FramesUntilSettled(std::int32_t frames) {
        for (std::int32_t frame = 1; frame <= frames; ++frame) {
            Frame();
            if (watch.Settled())
                return frame;
        }
        return 0;
    }
    void SetCell(std::int32_t column, std::int32_t row, TCellType type) {
        box->Apply({akCell, column, row, type});
    }

    TGameProfiler profiler;
    std::unique_ptr<TVaporelBox> box;
    TSettleWatch watch;
};

} // namespace

TEST_F(SettledWater, IsSaidOnlyAfterThePoolHasRestedForThreeSeconds) {
    std::int32_t lastPour = 0;
    std::int32_t settledAt = 0;
    for (std::int32_t frame = 1; frame <= SettlesWithin && !settledAt; ++frame) {
        const std::int32_t spawn = box->SpawnCursor();
        Frame();
        lastPour = box->SpawnCursor() != spawn ? frame : lastPour;
        settledAt = watch.Settled() ? frame : 0;
    }
    ASSERT_NE(settledAt, 0) << "the basin never settled";
    EXPECT_EQ(box->ActiveParticleCount(), box->Parameters().WaterParticleNum) << "all the water is in the basin";
    EXPECT_GE(settledAt - lastPour, SettleFrames) << "three seconds after the pipe poured its last";
    for (int frame = 0; frame < 600; ++frame) {
        Frame();
        ASSERT_TRUE(watch.Settled()) << "resting water pops now and then, and stays settled: frame " << frame;
    }
}

TEST_F(SettledWater, GoesAwayInTheFrameWaterLeavesThroughAnOutlet) {
    ASSERT_NE(FramesUntilSettled(SettlesWithin), 0);
    SetCell(FloorColumn, FloorRow, ctOutlet);
    std::int32_t frames = 0;
    while (box->BlueOutCount() == 0 && frames < 60) {
        Frame();
        ++frames;
        if (box->BlueOutCount() == 0) {
            EXPECT_TRUE(watch.Settled()) << "nothing has moved yet";
        }
    }
    ASSERT_GT(box->BlueOutCount(), 0);
    EXPECT_FALSE(watch.Settled()) << "the first drop out ends it";
}

TEST_F(SettledWater, ADrainKeepsTheWaterGoingRoundAndNeverSettles) {
    ASSERT_NE(FramesUntilSettled(SettlesWithin), 0);
    SetCell(FloorColumn, FloorRow, ctDrain);
    EXPECT_EQ(FramesUntilSettled(1200), 0) << "the pipe pours again what the drain swallows";
    SetCell(FloorColumn, FloorRow, ctBlock);
    EXPECT_NE(FramesUntilSettled(SettlesWithin), 0) << "closed again, the pool settles again";
}

TEST_F(SettledWater, FallingWaterIsNotAtRest) {
    ASSERT_NE(FramesUntilSettled(SettlesWithin), 0);
    for (std::int32_t column = 4; column < 63; ++column)
        SetCell(column, 40, ctBlock); // a floor under the basin holds what spills
    SetCell(40, 29, ctEmpty);
    for (int frame = 0; frame < 60; ++frame)
        Frame();
    EXPECT_FALSE(watch.Settled()) << "within a second of the pool's spilling out of its basin";
    bool calmYetMoving = false;
    for (int frame = 0; frame < 600 && !calmYetMoving; ++frame) {
        Frame();
        ASSERT_EQ(box->ActiveParticleCount(), box->Parameters().WaterParticleNum) << "the spill stays on the floor";
        calmYetMoving = watch.CalmFrames() == SettleFrames && !watch.Settled();
    }
    EXPECT_TRUE(calmYetMoving) << "no drop left nor came, yet the water's shape moves on";
}

TEST_F(SettledWater, WaterGoingRoundForTwentySecondsWithNoneThroughAnOutletStalls) {
    ASSERT_NE(FramesUntilSettled(SettlesWithin), 0);
    SetCell(FloorColumn, FloorRow, ctDrain);
    std::int32_t frames = 0;
    while (!watch.Stalled() && frames < 2 * StallFrames) {
        Frame();
        ++frames;
        ASSERT_FALSE(watch.Settled());
    }
    EXPECT_GE(frames, 1200) << "twenty seconds of the water going round";
    EXPECT_LE(frames, 1200 + 60) << "the drain takes water within the first second";
    SetCell(FloorColumn + 1, FloorRow, ctOutlet);
    while (box->BlueOutCount() == 0 && frames < 3 * StallFrames) {
        EXPECT_TRUE(watch.Stalled()) << "nothing reached the outlet yet";
        Frame();
        ++frames;
    }
    ASSERT_GT(box->BlueOutCount(), 0);
    EXPECT_FALSE(watch.Stalled()) << "the first drop through an outlet ends it";
}

TEST_F(SettledWater, WaterThatStopsGoingRoundIsNoLongerStalled) {
    SetCell(FloorColumn, FloorRow, ctDrain);
    for (std::int32_t frame = 0; frame < StallFrames + 60; ++frame)
        Frame();
    ASSERT_TRUE(watch.Stalled());
    SetCell(FloorColumn, FloorRow, ctBlock);
    EXPECT_NE(FramesUntilSettled(SettlesWithin), 0) << "closed again, the pool settles";
    EXPECT_FALSE(watch.Stalled());
}

// The table of what rests: a shape change of six particle-frames a particle
// in play, summed over both seconds' cells, is one particle in 20 moved.
TEST(ShapeRests, AtMostOneParticleInTwentyChangesItsCellBetweenTwoSeconds) {
    struct TRow {
        std::int64_t Change;
        std::int32_t Active;
        bool Rests;
    };
    for (const TRow& row : {TRow{0, 0, true}, TRow{1, 0, false}, TRow{2400, 400, true},
                            TRow{2401, 400, false}, TRow{6000, 1000, true}, TRow{6001, 1000, false},
                            TRow{240, 40, true}, TRow{241, 40, false}, TRow{1'200'000, 200'000, true}})
        EXPECT_EQ(ShapeRests(row.Change, row.Active), row.Rests) << row.Change << " for " << row.Active;
}

// The pools that stand still on the shipped stages left alone: deep ones of
// 400 particles, which churn inside all the time.
TEST(SettledWaterOnTheStages, APoolLeftAloneSettlesWithinFifteenSecondsAndStaysSettled) {
    for (const char* stage : {"0013", "0016", "0002"}) {
        SetRandSeed(0);
        TGameProfiler profiler;
        auto box = std::make_unique<TVaporelBox>(profiler);
        box->LoadStage(ShippedStages() + stage);
        box->Restart();
        TSettleWatch watch;
        std::int32_t settledAt = 0;
        for (std::int32_t frame = 1; frame <= 3600; ++frame) {
            box->Execute();
            watch.Watch(*box);
            settledAt = settledAt == 0 && watch.Settled() ? frame : settledAt;
            if (settledAt > 0) {
                ASSERT_TRUE(watch.Settled()) << stage << ": settled at " << settledAt << ", not at " << frame;
            }
        }
        EXPECT_NE(settledAt, 0) << stage;
        EXPECT_LE(settledAt, 900) << stage;
    }
}
