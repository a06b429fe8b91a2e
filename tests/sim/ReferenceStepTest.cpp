// The plain reference model of ReferenceBox.h run side by side with the box:
// every frame must give the same bits and the same collision map. It keeps
// the box's optimised loops honest and pins the order of every operation.

#include "BoxSetup.h"
#include "CellCharacters.h"
#include "ReferenceBox.h"

#include "game/water/CollisionMapUnit.h"
#include "game/water/VaporelBoxUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <memory>
#include <string>
#include <vector>

namespace {

using reference::Params;
using reference::ReferenceBox;
using reference::RefParticle;

struct Scenario {
    const char* name;
    Params params;
    std::vector<std::string> layout; // rows from the top; '#' block, 'w' wall, 'O', 'D', 'S'
    int frames;
    int pileAt; // frame at which 300 particles are added at one point (0: none)
    bool leavesMap;
    int lattice = 0; // > 0: before frame 1 the pool fills open cells on a lattice this wide, bottom up
    const char* stageDir = nullptr; // a stage folder instead of params and layout
};

std::uint64_t Bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

void SetStage(const Scenario& scenario, TVaporelBox& box, ReferenceBox& ref) {
    const Params& p = scenario.params;
    ref.p = p;
    TBoxSetup(box).Parameters().WaterRadius = p.radius;
    TBoxSetup(box).Parameters().WaterMaxVelocity = p.maxVelocity;
    TBoxSetup(box).Parameters().WaterGravity = p.gravity;
    TBoxSetup(box).Parameters().WaterVelocityDecayRate = p.decay;
    TBoxSetup(box).Parameters().WaterShakeVelocity = p.shake;
    TBoxSetup(box).Parameters().WaterSwapFrequency = p.swap;
    TBoxSetup(box).Parameters().WaterParticleNum = p.pool;
    TBoxSetup(box).Parameters().BlueWaterNum = p.blue;
    TBoxSetup(box).Parameters().BlueWaterNumForClear = p.clear;
    TBoxSetup(box).Parameters().EtcWaterNumForEnd = p.end;
    for (int row = 0; row < static_cast<int>(scenario.layout.size()); ++row)
        for (int column = 0; column < static_cast<int>(scenario.layout[row].size()); ++column) {
            const TCellType type = CellTypeOfCharacter(scenario.layout[row][column]);
            box.SetCell(column, row, TMapCell{type});
            ref.type[column][row] = type;
        }
}

void FillLattice(int spacing, TVaporelBox& box, ReferenceBox& ref) {
    int added = 0;
    for (int y = FieldHeight - spacing / 2; y > 0; y -= spacing)
        for (int x = spacing / 2; x < FieldWidth; x += spacing)
            if (added < ref.p.pool && ref.type[x / CellSize][y / CellSize] == ctEmpty) {
                box.AddParticle(x, y);
                ref.Add(x, y);
                ++added;
            }
}

// Every cell's entries, in the reference's order.
testing::AssertionResult SameMap(const TCellRegistry& registry, const ReferenceBox& ref) {
    for (int column = 0; column < MapColumns; ++column)
        for (int row = 0; row < MapRows; ++row) {
            const std::int32_t count = registry.Count[column][row];
            const int* const expected = ref.entries[column][row];
            if (count != ref.count[column][row] ||
                !std::equal(expected, expected + count, registry.Entries[column][row]))
                return testing::AssertionFailure() << "cell " << column << ", " << row;
        }
    return testing::AssertionSuccess();
}

void RunSideBySide(const Scenario& scenario) {
    TGameProfiler profiler;
    SetRandSeed(0);
    auto box = std::make_unique<TVaporelBox>(profiler);
    auto ref = std::make_unique<ReferenceBox>();
    if (scenario.stageDir) {
        box->LoadStage(scenario.stageDir);
        reference::CopyStage(*box, *ref);
    } else {
        SetStage(scenario, *box, *ref);
    }
    const Params& p = ref->p;
    box->ResetWater();
    ref->Reset();
    if (scenario.lattice > 0)
        FillLattice(scenario.lattice, *box, *ref);
    for (int frame = 1; frame <= scenario.frames; ++frame) {
        if (frame == scenario.pileAt)
            for (int i = 0; i < 300; ++i) {
                box->AddParticle(500, 300);
                ref->Add(500, 300);
            }
        box->Execute();
        ref->Execute();
        ASSERT_EQ(box->CollisionChecks(), ref->checks) << scenario.name << " frame " << frame;
        ASSERT_EQ(box->CollisionHits(), ref->hits) << scenario.name << " frame " << frame;
        ASSERT_EQ(box->BlueOutCount(), ref->blueOut) << scenario.name << " frame " << frame;
        ASSERT_EQ(box->EtcOutCount(), ref->etcOut) << scenario.name << " frame " << frame;
        ASSERT_EQ(box->State(), ref->state) << scenario.name << " frame " << frame;
        ASSERT_EQ(box->Finished(), ref->finished) << scenario.name << " frame " << frame;
        ASSERT_EQ(RandSeed(), ref->seed) << scenario.name << " frame " << frame;
        for (std::size_t i = 0; i < ref->pool.size(); ++i) {
            const TWaterParticle& a = box->Particles()[i];
            const RefParticle& b = ref->pool[i];
            const bool same = Bits(a.Position.x) == Bits(b.pos.x) && Bits(a.Position.y) == Bits(b.pos.y) &&
                              Bits(a.Velocity.x) == Bits(b.vel.x) && Bits(a.Velocity.y) == Bits(b.vel.y) &&
                              Bits(a.PrevPosition.x) == Bits(b.prev.x) &&
                              Bits(a.PrevPosition.y) == Bits(b.prev.y) && a.Active == b.active &&
                              a.Exited == b.exited && a.Kind == b.kind;
            ASSERT_TRUE(same) << scenario.name << " frame " << frame << " slot " << i;
        }
        ASSERT_TRUE(SameMap(box->Registry(), *ref)) << scenario.name << " frame " << frame;
    }
    if (p.pool > 0) {
        EXPECT_GT(box->ActiveParticleCount() + box->BlueOutCount() + box->EtcOutCount(), 0) << scenario.name;
    }
    EXPECT_EQ(ref->leftMap > 0, scenario.leavesMap) << scenario.name;
}

// A small tower: sources at the top, a roof, walls, a basin with a drain,
// outlets in the floor on the right and a gap in the floor on the far right.
const std::vector<std::string> Tower = {
    "w..............................w", "w.........SSSSSS...............w",
    "w..............................w", "w...........####...............w",
    "w..........######..............w", "w#.........#wwww#..............w",
    "w#.........#wwww#.....ww.......w", "w#.........#wwww#..............w",
    "wD.........#wwww#..............w", "w#.........#wwww#..............w",
    "w#.........#wwww#..............w", "w###############.....OOOO####...",
};

} // namespace

TEST(ReferenceStep, SettlingTowerWithOutletsDrainsAndWalls) {
    RunSideBySide({"tower", {4, 7.0, 1.2, 0.98, 0.5, 0.1, 500, 300, 100, 60}, Tower, 700, 0, false});
}

TEST(ReferenceStep, TheShippedStage) {
    RunSideBySide({"stage 0001", {}, {}, 900, 0, false, 0, VAPOREL_STAGE_DIR});
}

// Radius 1 piles past 100 entries a cell; water falling past the floor gap is
// fast enough to leave through the bottom rows.
const Params DensePile{1, 24.0, 2.5, 0.99, 0.3, 1.0, 700, 350, 1000, 1000};

TEST(ReferenceStep, DensePilesSwapEveryFrameAndLeavingThroughTheBottom) {
    RunSideBySide({"pile", DensePile, Tower, 300, 20, true});
}

// A well eight cells wide and most of the field deep, walled in, with outlets
// for a floor.
std::vector<std::string> LeakingWell() {
    std::vector<std::string> rows(MapRows, std::string(MapColumns, 'w'));
    for (int row = 4; row < MapRows - 2; ++row)
        rows[row].replace(28, 8, 8, '.');
    rows[MapRows - 2].replace(28, 8, 8, 'O');
    return rows;
}

// Deep water in crowded cells, swept by diagonals, draining away until it is
// a thin layer swept by rows.
TEST(ReferenceStep, DeepWaterDrainingThroughAWell) {
    RunSideBySide(
        {"deep", {2, 7.0, 1.2, 0.98, 0.5, 0.1, 6000, 3000, 9000, 9000}, LeakingWell(), 150, 0, false, 2});
}

TEST(ReferenceStep, PoolsOfOneTwoThousandAndFiftyThousand) {
    RunSideBySide({"one", {4, 7.0, 1.2, 0.98, 0.5, 0.1, 1, 1, 100, 60}, Tower, 200, 0, false});
    RunSideBySide({"basin", {4, 7.0, 1.2, 0.98, 0.5, 0.1, 2000, 1300, 3000, 3000}, Tower, 200, 0, false, 8});
    RunSideBySide({"crowd", {1, 7.0, 1.2, 0.98, 0.5, 0.1, 50000, 30000, 1, 1}, Tower, 25, 0, false, 2});
}

TEST(ReferenceStep, MaxVelocityZeroAndMissingKeys) {
    RunSideBySide({"still", {3, 0.0, 1.0, 1.0, 2.0, 0.5, 100, 50, 10, 10}, Tower, 120, 5, false});
    // Every key missing reads as 0: an empty pool, lost in the first frame.
    RunSideBySide({"zeros", {}, Tower, 400, 0, false});
}

// A full cell whose entries skip one particle: when it moves in, it takes its
// place in pool order, in the middle of the entries, and the last entry goes,
// as the reference's map from scratch has it.
TEST(ReferenceStep, AParticleMovingIntoAFullCellTakesItsPlaceThereAndTheLastEntryGoes) {
    constexpr std::int32_t radius = 1, moving = 50;
    const TVector3D inFullCell{120, 88, 0}; // cell (7, 5) only
    std::vector<TWaterParticle> pool(MaxCellEntries + 20);
    for (TWaterParticle& particle : pool)
        particle = {inFullCell, {}, inFullCell, true};
    pool[moving].Position = {40, 40, 0};
    TCollisionMap map;
    auto registry = std::make_unique<TCellRegistry>();
    map.Rebuild(*registry, pool, radius);
    ASSERT_EQ(registry->Entries[7][5][MaxCellEntries - 1], MaxCellEntries) << "full, without particle 50";

    map.NoteMove(moving, pool[moving].Position);
    pool[moving].Position = inFullCell;
    ASSERT_TRUE(map.TryUpdateMoved(*registry, pool, radius))
        << "updated cell by cell, not left for a rebuild";
    auto ref = std::make_unique<ReferenceBox>();
    ref->p.radius = radius;
    for (const TWaterParticle& particle : pool)
        ref->pool.push_back({{particle.Position.x, particle.Position.y, 0}, {}, {}, particle.Active});
    ref->MakeMap();
    EXPECT_TRUE(SameMap(*registry, *ref));
}
