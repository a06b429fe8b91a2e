#include "game/water/WaterWorkersUnit.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// A wait spins for some microseconds (a neighbour finishing a cell, a
// helper taking up a job it was woken for), then blocks. It does not keep
// yielding: on a core shared with another busy program a yield hands that
// program a whole time slice, while a blocked thread is woken as soon as the
// value is published and, having slept, runs at once.
constexpr int SpinLoads = 500;

// JobState's parts.
constexpr int TicketShift = 32;
constexpr std::uint64_t ClosedBit = std::uint64_t{1} << 31;
constexpr std::uint64_t TakenUpBit = std::uint64_t{1} << 30; // a helper joined at some time
constexpr std::uint64_t JoinedMask = TakenUpBit - 1;

// Tells the core that this thread is spinning, so that a sibling thread runs
// faster and the spin draws less power.
void SpinPause() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
}

template <typename T> struct TSeen {
    T Value;
    bool Blocked; // the spin ran out before the value was reached
};

// Spins, then blocks, until `reached(value)` holds.
template <typename T, typename Reached> TSeen<T> WaitFor(const std::atomic<T>& value, Reached reached) {
    for (int spin = 0; spin < SpinLoads; ++spin) {
        const T seen = value.load(std::memory_order_acquire);
        if (reached(seen))
            return {seen, false};
        SpinPause();
    }
    for (;;) {
        const T seen = value.load(std::memory_order_acquire);
        if (reached(seen))
            return {seen, true};
        value.wait(seen, std::memory_order_acquire);
    }
}

std::uint32_t TicketOf(std::uint64_t state) {
    return static_cast<std::uint32_t>(state >> TicketShift);
}

} // namespace

bool TSoloPlan::TakeSoloJob() {
    if (Left == 0)
        return false;
    --Left;
    return true;
}

void TSoloPlan::AfterSharedJob(bool helped) {
    if (helped) {
        Length /= 2;
    } else {
        Length = std::clamp(Length * 2, 1, MaxSoloStretch);
        Left = Length;
    }
}

std::int32_t DefaultWaterThreadCount(std::int32_t poolSize) {
    return std::thread::hardware_concurrency() >= SharedStepCores && poolSize >= SharedStepParticles ? 2 : 1;
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
    Stopping.store(true, std::memory_order_relaxed); // published by the release below
    Generation.fetch_add(1, std::memory_order_release);
    Generation.notify_all();
    for (std::thread& helper : Helpers)
        helper.join();
}

void TWaterWorkers::WaitUntilAtLeast(std::int32_t worker, const std::atomic<std::int32_t>& value,
                                     std::int32_t target) {
    const bool blocked = WaitFor(value, [target](std::int32_t seen) { return seen >= target; }).Blocked;
    if (worker == 0 && blocked)
        Unhelped = true;
}

void TWaterWorkers::RunErased(void* context, TCall call) {
    if (Helpers.empty() || SoloPlan.TakeSoloJob()) {
        call(context, 0);
    } else {
        RunShared(context, call);
        SoloPlan.AfterSharedJob(!Unhelped);
    }
}

void TWaterWorkers::RunShared(void* context, TCall call) {
    Unhelped = false;
    Context = context;
    Call = call;
    const std::uint32_t ticket = Generation.load(std::memory_order_relaxed) + 1;
    JobState.store(std::uint64_t{ticket} << TicketShift, std::memory_order_relaxed);
    // The release publishes the job (and everything the caller wrote before) to the helpers.
    Generation.store(ticket, std::memory_order_release);
    Generation.notify_all();
    call(context, 0);
    CloseJobAndWait();
}

// From here on no helper joins; those that joined are waited for. The job
// went without help when no helper took it up in time (waking one cost more
// than it gave), or when the calling thread blocked for one still at work.
void TWaterWorkers::CloseJobAndWait() {
    const std::uint64_t state = JobState.fetch_or(ClosedBit, std::memory_order_acq_rel);
    if ((state & TakenUpBit) == 0)
        Unhelped = true;
    if ((state & JoinedMask) != 0 &&
        WaitFor(JobState, [](std::uint64_t now) { return (now & JoinedMask) == 0; }).Blocked)
        Unhelped = true;
}

// A helper joins the job of `ticket` only while it is open: a helper woken
// late, for a job already closed or for an earlier one, leaves it alone.
bool TWaterWorkers::TryJoin(std::uint32_t ticket) {
    std::uint64_t state = JobState.load(std::memory_order_acquire);
    do {
        if (TicketOf(state) != ticket || (state & ClosedBit) != 0)
            return false;
    } while (!JobState.compare_exchange_weak(state, (state + 1) | TakenUpBit, std::memory_order_acq_rel,
                                             std::memory_order_acquire));
    return true;
}

// The release hands what this worker wrote back to the caller.
void TWaterWorkers::Leave() {
    const std::uint64_t state = JobState.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if ((state & JoinedMask) == 0)
        JobState.notify_all();
}

void TWaterWorkers::HelperLoop(std::int32_t worker) {
    std::uint32_t seen = 0;
    for (;;) {
        seen = WaitFor(Generation, [seen](std::uint32_t now) { return now != seen; }).Value;
        if (Stopping.load(std::memory_order_relaxed))
            return;
        if (!TryJoin(seen))
            continue;
        Call(Context, worker);
        Leave();
    }
}
