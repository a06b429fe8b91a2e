#include "BoxSetup.h"
#include "game/water/VaporelBoxUnit.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

// Counts heap allocations so a test can prove a frame allocates nothing.
namespace {
std::atomic<long> Allocations{0};
}

void* operator new(std::size_t size) {
    ++Allocations;
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}
// Kept out of line: inlined into a delete expression, the call to free would
// look to the compiler like freeing what operator new gave.
[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

// A box on an all-empty map with neutral water: no decay, no gravity, no shake.
class Box : public testing::Test {
protected:
    void SetUp() override {
        SetRandSeed(0);
        box = std::make_unique<TVaporelBox>(profiler);
        TBoxSetup(*box).Parameters().WaterRadius = 4;
        TBoxSetup(*box).Parameters().WaterMaxVelocity = 100.0;
        TBoxSetup(*box).Parameters().WaterVelocityDecayRate = 1.0;
        TBoxSetup(*box).Parameters().EtcWaterNumForEnd = 1'000'000;
        TBoxSetup(*box).Parameters().BlueWaterNumForClear = 1'000'000;
    }

    void MakePool(std::int32_t size, std::int32_t blue) {
        TBoxSetup(*box).Parameters().WaterParticleNum = size;
        TBoxSetup(*box).Parameters().BlueWaterNum = blue;
        box->ResetWater();
    }

    void SetCellType(int column, int row, TCellType type) { box->SetCell(column, row, TMapCell{type}); }

    // AddParticle, answering the slot it filled.
    TWaterParticle& Add(std::int32_t x, std::int32_t y) {
        std::vector<bool> wasActive;
        for (const TWaterParticle& p : box->Particles())
            wasActive.push_back(p.Active);
        box->AddParticle(x, y);
        for (std::size_t i = 0; i < wasActive.size(); ++i)
            if (box->Particles()[i].Active && !wasActive[i])
                return TBoxSetup(*box).Particles()[i];
        throw std::logic_error("no slot was free");
    }

    TGameProfiler profiler;
    std::unique_ptr<TVaporelBox> box;
};

} // namespace

TEST(Random, FirstValuesFromSeedZero) {
    SetRandSeed(0);
    EXPECT_EQ(RandomReal(), 1.0 / 4294967296.0);
    EXPECT_EQ(RandSeed(), 1u);
    EXPECT_EQ(RandomReal(), 134775814.0 / 4294967296.0);
    EXPECT_EQ(RandomInt(2), 1u) << "upper half of 2 * 3698175007";
    EXPECT_EQ(RandomInt(1000), static_cast<std::uint32_t>((1000ull * 870078620ull) >> 32));
    EXPECT_EQ(RandSeed(), 870078620u);
}

TEST_F(Box, ResetShufflesWholeSlotsAndKeepsTheBlueCount) {
    MakePool(4, 2);
    for (std::size_t i = 0; i < 4; ++i)
        TBoxSetup(*box).Particles()[i].Position.x = static_cast<double>(i);
    SetRandSeed(0);
    box->ResetWater();
    // Draws 0, 0, 1, 0 for i = 3, 2, 1, 0: swap(3,0), swap(2,0), then no-ops.
    const double expectedOrigin[] = {2, 1, 3, 0};
    const TWaterKind expectedKind[] = {wkEtc, wkBlue, wkEtc, wkBlue};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(box->Particles()[i].Position.x, expectedOrigin[i]) << "slot " << i;
        EXPECT_EQ(box->Particles()[i].Kind, expectedKind[i]) << "slot " << i;
    }
    EXPECT_EQ(RandSeed(), 870078620u) << "one draw per slot, index 0 included";

    MakePool(10, 50);
    for (const TWaterParticle& p : box->Particles())
        EXPECT_EQ(p.Kind, wkBlue);
    MakePool(10, 0);
    for (const TWaterParticle& p : box->Particles())
        EXPECT_EQ(p.Kind, wkEtc);
}

TEST_F(Box, EqualPositionsArePushedApartAlongPlusX) {
    MakePool(2, 2);
    TWaterParticle& a = Add(100, 100);
    TWaterParticle& b = Add(100, 100);
    box->Execute();
    EXPECT_EQ(box->CollisionChecks(), 1) << "pass 0 sees the empty map of the reset";
    EXPECT_EQ(box->CollisionHits(), 1);
    EXPECT_EQ(a.Position.x, 104.0) << "the lower pool index moves to +x";
    EXPECT_EQ(b.Position.x, 96.0);
    EXPECT_EQ(a.Position.y, 100.0);
    EXPECT_EQ(a.Velocity.x, 4.0) << "the push becomes velocity in UpdateVelocity";

    box->Execute(); // exactly touching now: tested, no hit
    EXPECT_EQ(box->CollisionHits(), 0);
    EXPECT_GT(box->CollisionChecks(), 0);
}

TEST_F(Box, OverlappingPairEndsExactlyTouching) {
    MakePool(2, 2);
    TWaterParticle& a = Add(100, 100);
    TWaterParticle& b = Add(103, 104); // 5 px apart, diameter 8
    box->Execute();
    const double dx = a.Position.x - b.Position.x;
    const double dy = a.Position.y - b.Position.y;
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), 8.0, 1e-12);
    EXPECT_LT(a.Position.x, 100.0) << "a moves away from b";
    EXPECT_LT(a.Position.y, 100.0);
}

TEST_F(Box, ParticleRestsOnABlockAndIsShaken) {
    TBoxSetup(*box).Parameters().WaterGravity = 0.5;
    TBoxSetup(*box).Parameters().WaterVelocityDecayRate = 0.99;
    TBoxSetup(*box).Parameters().WaterShakeVelocity = 0.5;
    TBoxSetup(*box).Parameters().WaterMaxVelocity = 8.0;
    for (int column = 0; column < MapColumns; ++column)
        SetCellType(column, 10, ctBlock); // floor at y = 160..175
    MakePool(1, 1);
    TWaterParticle& p = Add(100, 120);
    for (int frame = 0; frame < 120; ++frame) {
        box->Execute();
        ASSERT_TRUE(p.Active);
        ASSERT_LT(p.Position.y, 160.0) << "frame " << frame;
    }
    EXPECT_GT(p.Position.y, 155.0) << "it fell down to the floor";
    EXPECT_LE(VectorLength(p.Velocity), 0.5) << "resting: the shake gives it at most WaterShakeVelocity";
}

TEST_F(Box, CellsHoldAtMostOneHundredEntriesAndStillBlockTheirSource) {
    TBoxSetup(*box).Parameters().WaterRadius = 1;
    MakePool(151, 151);
    for (int i = 0; i < 150; ++i)
        box->AddParticle(104, 104);
    box->MakeCollisionMap();
    ASSERT_EQ(box->Registry().Count[6][6], MaxCellEntries);
    for (int i = 0; i < MaxCellEntries; ++i)
        EXPECT_EQ(box->Registry().Entries[6][6][i], i) << "pool order";

    SetCellType(6, 6, ctSource);
    SetCellType(20, 20, ctSource);
    box->EmitWater();
    EXPECT_EQ(box->ActiveParticleCount(), 151) << "only the empty source emits";
    EXPECT_EQ(box->Particles()[150].Position.x, 20 * 16 + 8.0) << "at the centre of the cell";
    box->EmitWater();
    EXPECT_EQ(box->ActiveParticleCount(), 151) << "no free slot left";

    box->Execute(); // a dense pile: 100 entries give 4950 pairs a pass
    EXPECT_GE(box->CollisionChecks(), 4950);
}

TEST_F(Box, SourceEmitsOnlyWhileNothingIsRegisteredInIt) {
    MakePool(5, 5);
    SetCellType(10, 5, ctSource);
    box->Execute();
    EXPECT_EQ(box->ActiveParticleCount(), 1);
    box->Execute(); // the new particle sits in the source cell: the map of this frame holds it
    EXPECT_EQ(box->ActiveParticleCount(), 1);
}

TEST_F(Box, LeavingTheMapSwitchesOffTheClampKeepsInside) {
    MakePool(3, 3);
    TWaterParticle& right = Add(1030, 100);
    TWaterParticle& left = Add(-10, 100);
    TWaterParticle& below = Add(100, 790);
    box->Execute();
    EXPECT_TRUE(right.Active);
    EXPECT_EQ(right.Position.x, 1020.0);
    EXPECT_TRUE(left.Active) << "-10 lies in column 0";
    EXPECT_EQ(left.Position.x, 4.0);
    EXPECT_FALSE(below.Active) << "row 49 is off the map";
    EXPECT_FALSE(below.Exited);
    EXPECT_EQ(box->BlueOutCount() + box->EtcOutCount(), 0);

    TBoxSetup(*box).Parameters().WaterGravity = 30.0;
    TWaterParticle& falling = Add(100, 760);
    box->Execute();
    EXPECT_FALSE(falling.Active) << "a sample reached y >= 784 before the clamp";
    EXPECT_EQ(&falling, &below) << "the slot was free again";
}

TEST_F(Box, OutletsCountByKindDrainsFreeTheSlot) {
    SetCellType(6, 7, ctOutlet);
    SetCellType(12, 7, ctDrain);
    MakePool(2, 1);
    const bool firstIsBlue = box->Particles()[0].Kind == wkBlue;
    TWaterParticle& out = Add(100, 120);
    TWaterParticle& drained = Add(200, 120);
    box->Execute();
    EXPECT_TRUE(out.Exited);
    EXPECT_FALSE(out.Active);
    EXPECT_EQ(box->BlueOutCount(), firstIsBlue ? 1 : 0);
    EXPECT_EQ(box->EtcOutCount(), firstIsBlue ? 0 : 1);
    EXPECT_FALSE(drained.Active);
    EXPECT_FALSE(drained.Exited);
    box->AddParticle(300, 300);
    EXPECT_TRUE(drained.Active) << "the drained slot is free, the exited one is used up";
    EXPECT_FALSE(out.Active);
}

TEST_F(Box, EtcWaterSwapsWithBlueAboveIt) {
    TBoxSetup(*box).Parameters().WaterRadius = 2;
    TBoxSetup(*box).Parameters().WaterSwapFrequency = 1.0;
    MakePool(6, 0);
    TBoxSetup(*box).Particles()[0].Kind = wkBlue;
    TBoxSetup(*box).Particles()[2].Kind = wkBlue;
    TWaterParticle& blue = Add(100, 120); // row 7
    TWaterParticle& etc = Add(100, 136);  // row 8
    TWaterParticle& blueLow = Add(300, 136);
    TWaterParticle& etcHigh = Add(300, 120); // a blue particle never starts a swap
    TWaterParticle& etcTop = Add(500, 8);    // row 0 has no cell above
    box->Execute();
    EXPECT_EQ(etc.Position.y, 120.0);
    EXPECT_EQ(blue.Position.y, 136.0);
    EXPECT_EQ(etc.PrevPosition.y, 136.0) << "velocity and previous position stay with the particle";
    EXPECT_EQ(blueLow.Position.y, 136.0);
    EXPECT_EQ(etcHigh.Position.y, 120.0);
    EXPECT_EQ(etcTop.Position.y, 8.0);
}

// After the swaps the map is updated cell by cell, not rebuilt; it must be
// the rebuilt one. Crowded cells hold more than 100 particles: an etc
// particle swapped into one comes before its last entry, one swapped into
// another after it, and the blue particles leaving them were left out of
// both. Then a full cell loses one of its entries, which lets in a particle
// it left out.
TEST_F(Box, MapAfterSwapsIsTheRebuiltMap) {
    TBoxSetup(*box).Parameters().WaterRadius = 1;
    TBoxSetup(*box).Parameters().WaterSwapFrequency = 1.0;
    auto crowd = [this](int left, int top) {
        for (int k = 0; k < 110; ++k)
            Add(left + k % 11, top + k / 11);
    };
    auto updated = std::make_unique<TCellRegistry>();
    auto expectRebuiltMap = [&]() {
        *updated = box->Registry();
        box->MakeCollisionMap();
        const TCellRegistry& rebuilt = box->Registry();
        for (int column = 0; column < MapColumns; ++column)
            for (int row = 0; row < MapRows; ++row) {
                const std::int32_t count = rebuilt.Count[column][row];
                ASSERT_EQ(updated->Count[column][row], count) << "cell " << column << ", " << row;
                for (int i = 0; i < count; ++i)
                    ASSERT_EQ(updated->Entries[column][row][i], rebuilt.Entries[column][row][i])
                        << "cell " << column << ", " << row;
            }
    };
    MakePool(224, 0); // slots are taken in order: a slot's index is its place below
    Add(104, 104);    // 0: etc, cell (6, 6)
    crowd(116, 82);   // 1..110 in cell (7, 5)
    crowd(324, 82);   // 111..220 in cell (20, 5)
    Add(111, 88);     // 221: blue, cells (6, 5) and (7, 5)
    Add(319, 88);     // 222: blue, cells (19, 5) and (20, 5)
    Add(312, 104);    // 223: etc, cell (19, 6)
    TBoxSetup(*box).Particles()[221].Kind = wkBlue;
    TBoxSetup(*box).Particles()[222].Kind = wkBlue;
    box->Execute();
    EXPECT_EQ(box->Particles()[0].Position.y, 88.0) << "swapped";
    EXPECT_EQ(box->Particles()[223].Position.y, 88.0) << "swapped";
    EXPECT_EQ(box->Registry().Count[7][5], MaxCellEntries);
    EXPECT_EQ(box->Registry().Count[20][5], MaxCellEntries);
    expectRebuiltMap();

    MakePool(112, 0);
    Add(111, 88);   // 0: blue, cells (6, 5) and (7, 5)
    crowd(116, 82); // 1..110 in cell (7, 5)
    Add(104, 104);  // 111: etc, cell (6, 6)
    TBoxSetup(*box).Particles()[0].Kind = wkBlue;
    box->Execute();
    EXPECT_EQ(box->Particles()[111].Position.y, 88.0) << "swapped";
    EXPECT_EQ(box->Registry().Count[7][5], MaxCellEntries);
    expectRebuiltMap();
}

TEST_F(Box, SolidCellAboveStopsASwap) {
    TBoxSetup(*box).Parameters().WaterRadius = 2;
    TBoxSetup(*box).Parameters().WaterSwapFrequency = 1.0;
    MakePool(2, 0);
    TBoxSetup(*box).Particles()[0].Kind = wkBlue;
    SetCellType(6, 7, ctWall);
    Add(100, 120);
    TWaterParticle& etc = Add(100, 136);
    box->Execute();
    EXPECT_EQ(etc.Position.y, 136.0);
}

TEST_F(Box, MaxVelocityZeroStopsEverything) {
    TBoxSetup(*box).Parameters().WaterMaxVelocity = 0.0;
    TBoxSetup(*box).Parameters().WaterShakeVelocity = 3.0;
    TBoxSetup(*box).Parameters().WaterGravity = 1.0;
    MakePool(1, 1);
    TWaterParticle& p = Add(100, 100);
    for (int i = 0; i < 3; ++i) {
        box->Execute();
        EXPECT_EQ(VectorLength(p.Velocity), 0.0);
    }
}

TEST_F(Box, OutcomeRules) {
    MakePool(0, 0);
    TBoxSetup(*box).Parameters().BlueWaterNumForClear = 5;
    TBoxSetup(*box).Parameters().EtcWaterNumForEnd = 5;
    TBoxSetup(*box).SetOutCounts(5, 5);
    box->Execute();
    EXPECT_EQ(box->State(), bsGameOver) << "both thresholds in one frame: lost";

    box->ResetWater();
    TBoxSetup(*box).SetOutCounts(5, 0);
    box->Execute(); // frame n: cleared
    EXPECT_EQ(box->State(), bsCleared);
    EXPECT_EQ(box->StateTimer(), 1);
    for (int i = 0; i < 99; ++i)
        box->Execute();
    TBoxSetup(*box).SetOutCounts(box->BlueOutCount(), 5);
    box->Execute(); // frame n + 100: lost
    EXPECT_EQ(box->State(), bsGameOver);
    EXPECT_EQ(box->StateTimer(), 1);
    for (int i = 0; i < 359; ++i)
        box->Execute();
    EXPECT_FALSE(box->Finished()) << "frame n + 459";
    box->Execute();
    EXPECT_TRUE(box->Finished()) << "frame n + 460";
    box->ResetWater();
    box->Execute();
    EXPECT_TRUE(box->Finished()) << "only Restart clears it";

    box->ResetWater();
    TBoxSetup(*box).Parameters().EtcWaterNumForEnd = 0;
    box->Execute();
    EXPECT_EQ(box->State(), bsGameOver) << "a threshold of 0 loses at once";
    box->ResetWater();
    TBoxSetup(*box).Parameters().EtcWaterNumForEnd = 5;
    TBoxSetup(*box).Parameters().BlueWaterNumForClear = 0;
    box->Execute();
    EXPECT_EQ(box->State(), bsCleared);
}

TEST_F(Box, CellAccessChecksTheRange) {
    TMapCell cell = box->GetCell(64, 48);
    cell.CellType = ctSource;
    box->SetCell(64, 48, cell);
    EXPECT_EQ(box->Cells()[64][48].CellType, ctSource);
    EXPECT_THROW(box->GetCell(65, 0), Exception);
    EXPECT_THROW(box->GetCell(0, -1), Exception);
    try {
        box->SetCell(-1, 0, cell);
        FAIL();
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "範囲外のマップに書き込みしようとしました");
    }
    try {
        box->GetCell(0, 49);
        FAIL();
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "範囲外のマップを読み込みしようとしました");
    }
}

// Sources, outlets, drains and a floor, run for a while: the invariants of the
// pool hold, no frame allocates, and the run is reproducible from seed 0.
TEST_F(Box, PoolInvariantsDeterminismAndNoAllocation) {
    auto run = [this]() {
        SetRandSeed(0);
        auto fresh = std::make_unique<TVaporelBox>(profiler);
        TVaporelBox& b = *fresh;
        TBoxSetup(b).Parameters().WaterRadius = 4;
        TBoxSetup(b).Parameters().WaterGravity = 0.4;
        TBoxSetup(b).Parameters().WaterVelocityDecayRate = 0.98;
        TBoxSetup(b).Parameters().WaterShakeVelocity = 0.6;
        TBoxSetup(b).Parameters().WaterMaxVelocity = 6.0;
        TBoxSetup(b).Parameters().WaterSwapFrequency = 0.1;
        TBoxSetup(b).Parameters().BlueWaterNumForClear = TBoxSetup(b).Parameters().EtcWaterNumForEnd =
            1'000'000;
        for (int column = 0; column < MapColumns; ++column)
            b.SetCell(column, 30, TMapCell{column % 8 == 3 ? ctOutlet : column % 8 == 6 ? ctDrain : ctBlock});
        for (int column = 10; column < 50; column += 5)
            b.SetCell(column, 2, TMapCell{ctSource});
        TBoxSetup(b).Parameters().WaterParticleNum = 400;
        TBoxSetup(b).Parameters().BlueWaterNum = 250;
        b.ResetWater();
        std::vector<TWaterKind> kinds;
        for (const TWaterParticle& p : b.Particles())
            kinds.push_back(p.Kind);
        const long before = Allocations;
        for (int frame = 0; frame < 400; ++frame)
            b.Execute();
        EXPECT_EQ(Allocations, before) << "Execute allocates nothing";
        int exited = 0;
        for (std::size_t i = 0; i < b.Particles().size(); ++i) {
            const TWaterParticle& p = b.Particles()[i];
            EXPECT_EQ(p.Kind, kinds[i]) << "kinds never change";
            EXPECT_FALSE(p.Active && p.Exited);
            exited += p.Exited ? 1 : 0;
        }
        EXPECT_GT(exited, 0);
        EXPECT_EQ(b.BlueOutCount() + b.EtcOutCount(), exited) << "every exit counted once";
        return b.Particles();
    };
    const std::vector<TWaterParticle> first = run();
    const std::vector<TWaterParticle> second = run();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].Position.x, second[i].Position.x);
        EXPECT_EQ(first[i].Position.y, second[i].Position.y);
    }
}

// A pour takes exactly the slots its PourCount calls of AddParticle would,
// wrapping round the pool, also when the pool fills part way.
TEST_F(Box, APourTakesTheSlotsOfOneAddParticleAParticle) {
    for (const std::int32_t size : {1000, 600}) {
        std::unique_ptr<TVaporelBox> boxes[2];
        for (auto& each : boxes) {
            each = std::make_unique<TVaporelBox>(profiler);
            TBoxSetup(*each).Parameters().WaterParticleNum = size;
            each->ResetWater();
            for (std::int32_t i = 0; i < size; ++i) {
                TBoxSetup(*each).Particles()[i].Active = i % 3 == 0;
                TBoxSetup(*each).Particles()[i].Exited = i % 7 == 0;
            }
            TBoxSetup(*each).SetSpawnCursor(size - 50);
        }
        boxes[0]->Apply({akPour, 300, 200});
        for (std::int32_t i = 0; i < PourCount; ++i)
            boxes[1]->AddParticle(300, 200);
        EXPECT_EQ(boxes[0]->ActiveParticleCount(), boxes[1]->ActiveParticleCount()) << size;
        EXPECT_EQ(boxes[0]->SpawnCursor(), boxes[1]->SpawnCursor()) << size;
        for (std::int32_t i = 0; i < size; ++i)
            ASSERT_EQ(boxes[0]->Particles()[i].Active, boxes[1]->Particles()[i].Active)
                << size << ", slot " << i;
    }
}
