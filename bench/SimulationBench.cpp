// The box's water step against the plain reference model of tests/sim, on the
// same water in one run: blocks of frames alternate between the two, so that a
// busy machine slows both alike. Prints, per case, the processor time per
// particle and frame of each, the ratio (median over the blocks), the ratio of
// wall-clock times, and the box's own split between its phases.
//
//   vaporel_sim_bench [--blocks N]

#include "ReferenceBox.h" // tests/sim
#include "SettledWater.h"

#include "game/water/VaporelBoxUnit.h"
#include "lib/Z5UtilsUnit.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double BlockWork = 200'000.0;  // particle-frames per block
constexpr int ShippedStageFrames = 1000; // the shipped stage measured from its start

struct TCase {
    const char* Name;
    std::int32_t Particles; // 0: the shipped stage as the game plays it
    std::int32_t Radius;    // pixels
};

// The shipped stage; then its layout with the outlets and drains closed,
// filled bottom up with a lattice and left to settle into a basin or piles.
const TCase Cases[] = {
    {"stage 0001", 0, 0},
    {"basin 2,000 r4", 2000, 4},
    {"pile 10,000 r1", 10000, 1},
    {"pile 50,000 r1", 50000, 1},
};

void PrepareWater(TVaporelBox& box, const TCase& c) {
    if (c.Particles != 0) {
        SettleStageWater(box, {c.Particles, c.Radius});
        return;
    }
    SetRandSeed(0);
    box.LoadStage(VAPOREL_STAGE_DIR);
    box.Restart();
}

reference::Vec Copy(const TVector3D& v) {
    return {v.x, v.y, v.z};
}

// The reference model in the box's present state, its own random generator
// included.
std::unique_ptr<reference::ReferenceBox> CopyOf(const TVaporelBox& box) {
    auto ref = std::make_unique<reference::ReferenceBox>();
    reference::CopyStage(box, *ref);
    for (const TWaterParticle& p : box.Particles())
        ref->pool.push_back({Copy(p.Position), Copy(p.Velocity), Copy(p.PrevPosition), p.Active, p.Exited,
                             static_cast<int>(p.Kind)});
    for (int column = 0; column < MapColumns; ++column)
        for (int row = 0; row < MapRows; ++row) {
            const std::int32_t count = box.Registry().Count[column][row];
            ref->count[column][row] = count;
            std::copy_n(box.Registry().Entries[column][row], count, ref->entries[column][row]);
        }
    ref->cursor = box.SpawnCursor();
    ref->blueOut = box.BlueOutCount();
    ref->etcOut = box.EtcOutCount();
    ref->state = box.State();
    ref->timer = box.StateTimer();
    ref->finished = box.Finished();
    ref->seed = RandSeed();
    return ref;
}

bool SameBits(const TVaporelBox& box, const reference::ReferenceBox& ref) {
    for (std::size_t i = 0; i < box.Particles().size(); ++i) {
        const TWaterParticle& a = box.Particles()[i];
        const reference::RefParticle& b = ref.pool[i];
        if (a.Position.x != b.pos.x || a.Position.y != b.pos.y || a.Velocity.x != b.vel.x ||
            a.Velocity.y != b.vel.y || a.Active != b.active || a.Exited != b.exited)
            return false;
    }
    return box.CollisionHits() == ref.hits && RandSeed() == ref.seed;
}

// Processor time of the process.
double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct TTimes {
    double Cpu = 0.0;
    double Wall = 0.0;
};

template <typename Step> TTimes TimeFrames(int frames, Step step) {
    const double cpu = CpuSeconds();
    const double wall = WallSeconds();
    for (int frame = 0; frame < frames; ++frame)
        step();
    return {CpuSeconds() - cpu, WallSeconds() - wall};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Seconds(const TGameProfiler& profiler, TProfileID id) {
    const TZ5ProfileItem* item = profiler.Engine().Item(id);
    return static_cast<double>(item->TotalTicks) / static_cast<double>(profiler.Engine().Frequency());
}

std::int32_t Calls(const TGameProfiler& profiler, TProfileID id) {
    return profiler.Engine().Item(id)->Count;
}

struct TSettings {
    int Blocks = 15;
};

// Answers false on anything but the known option with a positive number.
bool ParseSettings(int argc, char** argv, TSettings& settings) {
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        const std::optional<std::int32_t> value =
            i + 1 < argc ? TextToInt(argv[i + 1]) : std::optional<std::int32_t>{};
        if (!value || *value < 1)
            return false;
        if (option == "--blocks")
            settings.Blocks = *value;
        else
            return false;
    }
    return true;
}

void RunCase(const TCase& c, const TSettings& settings) {
    const int blocks = settings.Blocks;
    TGameProfiler profiler;
    auto box = std::make_unique<TVaporelBox>(profiler);
    PrepareWater(*box, c);
    auto ref = CopyOf(*box);
    const double particles = c.Particles > 0 ? c.Particles : box->Parameters().WaterParticleNum;
    const int framesPerBlock =
        c.Particles > 0 ? std::max(1, static_cast<int>(BlockWork / particles)) : ShippedStageFrames / blocks;
    // The box's own split counts the measured frames only.
    const double executeBefore = Seconds(profiler, pidBoxExecute);
    const double collisionBefore = Seconds(profiler, pidCheckCollision);
    const double mapsBefore = Seconds(profiler, pidMakeCollisionMap);
    const std::int32_t rebuildsBefore = Calls(profiler, pidMakeCollisionMap);

    std::vector<double> ratios;
    TTimes boxTotal, refTotal;
    double particleFrames = 0.0;
    for (int block = 0; block < blocks; ++block) {
        const double active = box->ActiveParticleCount();
        const TTimes boxTimes = TimeFrames(framesPerBlock, [&] { box->Execute(); });
        const TTimes refTimes = TimeFrames(framesPerBlock, [&] { ref->Execute(); });
        boxTotal.Cpu += boxTimes.Cpu;
        boxTotal.Wall += boxTimes.Wall;
        refTotal.Cpu += refTimes.Cpu;
        refTotal.Wall += refTimes.Wall;
        particleFrames += (active + box->ActiveParticleCount()) / 2 * framesPerBlock;
        if (boxTimes.Cpu > 0.0)
            ratios.push_back(refTimes.Cpu / boxTimes.Cpu);
    }
    // Two rebuilds of the map a frame, a third only where the update after
    // the swaps cannot be made cell by cell (that update counts as rest). The
    // one inside the collision phase is counted as an average rebuild.
    const double execute = Seconds(profiler, pidBoxExecute) - executeBefore;
    const double maps = Seconds(profiler, pidMakeCollisionMap) - mapsBefore;
    const double rebuilds = Calls(profiler, pidMakeCollisionMap) - rebuildsBefore;
    const double pairs =
        Seconds(profiler, pidCheckCollision) - collisionBefore - maps / rebuilds * blocks * framesPerBlock;
    std::printf("%-16s %7.0f %9.1f %9.1f %7.2f %9.2f   %4.0f%% %4.0f%% %4.0f%%   %s\n", c.Name,
                particleFrames / (blocks * framesPerBlock), refTotal.Cpu / particleFrames * 1e9,
                boxTotal.Cpu / particleFrames * 1e9, ratios.empty() ? 0.0 : Median(ratios),
                refTotal.Wall / boxTotal.Wall, 100.0 * pairs / execute, 100.0 * maps / execute,
                100.0 * (execute - pairs - maps) / execute,
                SameBits(*box, *ref) ? "same bits" : "BITS DIFFER");
}

} // namespace

int main(int argc, char** argv) {
    TSettings settings;
    if (!ParseSettings(argc, argv, settings)) {
        std::fputs("usage: vaporel_sim_bench [--blocks N]\n", stderr);
        return 1;
    }
    std::puts("times are nanoseconds of processor time per particle and frame");
    std::printf("%-16s %7s %9s %9s %7s %9s   %5s %5s %5s\n", "case", "active", "ref ns", "box ns", "ratio",
                "wall", "pairs", "maps", "rest");
    for (const TCase& c : Cases)
        RunCase(c, settings);
    return 0;
}
