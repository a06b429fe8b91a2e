// Cost of the water step on settled water: the shipped stage's layout (its
// outlets and drains closed so the pool stays the same size), filled bottom
// up with a lattice of particles and left to settle into piles.

#include "SettledWater.h"

#include "game/HeadlessLayerTextures.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

class TSettledWater {
public:
    explicit TSettledWater(TPoolSize size) : Box(std::make_unique<TVaporelBox>(Profiler, Textures)) {
        SettleStageWater(*Box, size);
    }

    TVaporelBox& Get() { return *Box; }

private:
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
