// Cost of the water step on settled water: the shipped stage's layout (its
// outlets and drains closed so the pool stays the same size), filled bottom
// up with a lattice of particles and left to settle into piles.

#include "game/HeadlessLayerTextures.h"
#include "game/VaporelBoxUnit.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int SettleFrames = 240; // 4 s of game time: the lattice collapses into piles

struct TPoolSize {
    std::int32_t Particles;
    std::int32_t Radius; // pixels: small enough for that many to fit the field
};

class TSettledWater {
public:
    explicit TSettledWater(TPoolSize size) : Box(std::make_unique<TVaporelBox>(Profiler, Textures)) {
        SetRandSeed(0);
        Box->LoadStage(VAPOREL_STAGE_DIR);
        CloseOutletsAndDrains();
        Box->WaterParticleNum = size.Particles;
        Box->BlueWaterNum = size.Particles * 2 / 3;
        Box->WaterRadius = size.Radius;
        Box->ResetWater();
        FillBottomUp(size);
        for (int frame = 0; frame < SettleFrames; ++frame)
            Box->Execute();
    }

    TVaporelBox& Get() { return *Box; }

private:
    void CloseOutletsAndDrains() {
        for (auto& column : Box->Cells)
            for (TMapCell& cell : column)
                if (cell.CellType == ctOutlet || cell.CellType == ctDrain)
                    cell.CellType = ctBlock;
    }

    // One particle per lattice point of open cells, from the bottom row up,
    // until the pool is used up.
    void FillBottomUp(TPoolSize size) {
        const int spacing = 2 * size.Radius;
        std::int32_t added = 0;
        for (int y = FieldHeight - size.Radius; y >= size.Radius; y -= spacing)
            for (int x = size.Radius; x < FieldWidth; x += spacing) {
                if (added == size.Particles)
                    return;
                if (Box->Cells[x / CellSize][y / CellSize].CellType == ctEmpty) {
                    Box->AddParticle(x, y);
                    ++added;
                }
            }
    }

    TGameProfiler Profiler;
    THeadlessLayerTextures Textures;
    std::unique_ptr<TVaporelBox> Box;
};

// Growing pools, each with a radius at which it fits the field; then the
// same radius for every size, where the water's density stays the same.
const TPoolSize PoolSizes[] = {{2000, 4}, {10000, 2}, {50000, 1}, {2500, 2}, {5000, 2}, {20000, 2}};

void SetPerParticleCounter(benchmark::State& state, const TVaporelBox& box) {
    state.counters["particles"] = box.ActiveParticleCount();
    state.counters["per_particle"] =
        benchmark::Counter(box.ActiveParticleCount(),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Execute(benchmark::State& state) {
    TSettledWater water(PoolSizes[state.range(0)]);
    TVaporelBox& box = water.Get();
    for (auto _ : state)
        box.Execute();
    SetPerParticleCounter(state, box);
    state.counters["hits_per_frame"] = box.CollisionHits;
}

void BM_MakeCollisionMap(benchmark::State& state) {
    TSettledWater water(PoolSizes[state.range(0)]);
    TVaporelBox& box = water.Get();
    for (auto _ : state)
        box.MakeCollisionMap();
    SetPerParticleCounter(state, box);
}

} // namespace

BENCHMARK(BM_Execute)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MakeCollisionMap)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
