// The settled-water signal on a stage built to settle (settle-stage.txt: a
// closed basin under a short pipe), made into a folder of its own.

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
        const std::int32_t spawn = box->SpawnCursor;
        Frame();
        lastPour = box->SpawnCursor != spawn ? frame : lastPour;
        settledAt = watch.Settled() ? frame : 0;
    }
    ASSERT_NE(settledAt, 0) << "the basin never settled";
    EXPECT_EQ(box->ActiveParticleCount(), box->WaterParticleNum) << "all the water is in the basin";
    EXPECT_GE(settledAt - lastPour, SettleFrames) << "three seconds after the pipe poured its last";
    const TWaterMotion rest = WaterMotion(*box);
    EXPECT_LE(rest.Moving * FrameMovingShare, rest.Active);
    for (int frame = 0; frame < 600; ++frame) {
        Frame();
        ASSERT_TRUE(watch.Settled()) << "resting water pops now and then, and stays settled: frame " << frame;
    }
}

TEST_F(SettledWater, GoesAwayInTheFrameWaterLeavesThroughAnOutlet) {
    ASSERT_NE(FramesUntilSettled(SettlesWithin), 0);
    SetCell(FloorColumn, FloorRow, ctOutlet);
    std::int32_t frames = 0;
    while (box->BlueOutCount == 0 && frames < 60) {
        Frame();
        ++frames;
        if (box->BlueOutCount == 0) {
            EXPECT_TRUE(watch.Settled()) << "nothing has moved yet";
        }
    }
    ASSERT_GT(box->BlueOutCount, 0);
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
    for (int frame = 0; frame < 60; ++frame)
        Frame();
    EXPECT_FALSE(watch.Settled());
    const TWaterMotion motion = WaterMotion(*box);
    EXPECT_EQ(motion.Active, box->ActiveParticleCount());
    EXPECT_GT(motion.Moving * FrameMovingShare, motion.Active) << "the pipe's stream falls";
}
