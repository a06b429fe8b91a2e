#include "game/water/WaterWorkersUnit.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// A wait first spins (up to about a hundred microseconds: what a neighbour
// needs to finish a crowded cell, or the box to rebuild its map between two
// passes), then yields the processor for a while (the thread it waits for may
// share this core), and only then sleeps until notified. Sleeping sooner costs
// a wake-up of tens of microseconds on every cell a neighbour is slow with.
constexpr int SpinLoads = 4000;
constexpr int YieldingLoads = 50;

// Tells the core that this thread is spinning, so that a sibling thread runs
// faster and the spin draws less power.
void SpinPause() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
}

// Spins, then sleeps, until `reached(value)` holds; answers the value seen.
template <typename Reached> std::int32_t WaitFor(const std::atomic<std::int32_t>& value, Reached reached) {
    for (int spin = 0; spin < SpinLoads; ++spin) {
        const std::int32_t seen = value.load(std::memory_order_acquire);
        if (reached(seen))
            return seen;
        SpinPause();
    }
    for (int spin = 0; spin < YieldingLoads; ++spin) {
        const std::int32_t seen = value.load(std::memory_order_acquire);
        if (reached(seen))
            return seen;
        std::this_thread::yield();
    }
    for (;;) {
        const std::int32_t seen = value.load(std::memory_order_acquire);
        if (reached(seen))
            return seen;
        value.wait(seen, std::memory_order_acquire);
    }
}

} // namespace

std::int32_t DefaultWaterThreadCount(std::int32_t poolSize) {
    return std::thread::hardware_concurrency() >= SharedStepCores && poolSize >= SharedStepParticles ? 2 : 1;
}

void WaitUntilAtLeast(const std::atomic<std::int32_t>& value, std::int32_t target) {
    WaitFor(value, [target](std::int32_t seen) { return seen >= target; });
}

TWaterWorkers::TWaterWorkers(std::int32_t count, TWaterSharing sharing) : SharingRule(sharing) {
    const std::int32_t helpers = std::clamp(count, 1, MaxWaterThreads) - 1;
    Helpers.reserve(static_cast<std::size_t>(helpers));
    try {
        for (std::int32_t worker = 1; worker <= helpers; ++worker)
            Helpers.emplace_back([this, worker] { HelperLoop(worker); });
    } catch (...) {
        // The system refused a thread: the helpers already running must be
        // joined, or destroying them ends the program.
        StopHelpers();
        throw;
    }
}

TWaterWorkers::~TWaterWorkers() {
    StopHelpers();
}

void TWaterWorkers::StopHelpers() {
    Stopping = true;
    Generation.fetch_add(1, std::memory_order_release);
    Generation.notify_all();
    for (std::thread& helper : Helpers)
        helper.join();
}

void TWaterWorkers::RunErased(void* context, TCall call) {
    if (Helpers.empty()) {
        call(context, 0);
        return;
    }
    Context = context;
    Call = call;
    Busy.store(static_cast<std::int32_t>(Helpers.size()), std::memory_order_relaxed);
    // The release publishes the job (and everything the caller wrote before) to the helpers.
    Generation.fetch_add(1, std::memory_order_release);
    Generation.notify_all();
    call(context, 0);
    WaitFor(Busy, [](std::int32_t busy) { return busy == 0; });
}

void TWaterWorkers::HelperLoop(std::int32_t worker) {
    std::int32_t seen = 0;
    for (;;) {
        seen = WaitFor(Generation, [seen](std::int32_t now) { return now != seen; });
        if (Stopping)
            return;
        Call(Context, worker);
        // The release hands what this worker wrote back to the caller.
        if (Busy.fetch_sub(1, std::memory_order_acq_rel) == 1)
            Busy.notify_all();
    }
}
