#pragma once
// A fixed team of threads for the water step: the calling thread is worker 0,
// the others are helper threads started once and kept until the team is
// destroyed. Run hands one job to every worker and returns when all have
// finished it. Nothing is allocated per job; an idle helper spins only for a
// moment before it sleeps, so a paused game costs no processor time.

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

// Most threads a box uses; more than the map has columns to share would only wait.
inline constexpr std::int32_t MaxWaterThreads = 8;

// Pools smaller than this step faster on one thread: a pass over their water
// takes about as long as waking a second thread and waiting for it.
inline constexpr std::int32_t SharedStepParticles = 2000;

// Cores a machine needs before the water takes a second thread. Two workers
// advance only together: on a machine where the game's other threads or
// another program take a core, one of them keeps waiting for the other to be
// scheduled, and a frame takes several times as long as on one thread.
inline constexpr unsigned SharedStepCores = 4;

// The number of threads the game and the stage runner use for a pool of
// `poolSize` particles unless told otherwise: two where the machine has cores
// to spare and the pool is large enough to be worth sharing, else one.
std::int32_t DefaultWaterThreadCount(std::int32_t poolSize);

// Waits until `value` is at least `target`: a short spin for the usual brief
// wait, then sleeping until a store notifies.
void WaitUntilAtLeast(const std::atomic<std::int32_t>& value, std::int32_t target);

// Whether a job takes every worker of the team, or a second one only where
// the job gains from it (the job judges that: see TCollisionPass).
enum TWaterSharing : std::uint8_t { wsEveryJob, wsWhereItGains };

class TWaterWorkers {
public:
    // `count` workers in all (clamped to 1..MaxWaterThreads); count - 1 helper threads.
    explicit TWaterWorkers(std::int32_t count, TWaterSharing sharing = wsEveryJob);
    ~TWaterWorkers();
    TWaterWorkers(const TWaterWorkers&) = delete;
    TWaterWorkers& operator=(const TWaterWorkers&) = delete;

    std::int32_t Count() const { return static_cast<std::int32_t>(Helpers.size()) + 1; }
    TWaterSharing Sharing() const { return SharingRule; }

    // Calls job(worker) once for every worker 0..Count() - 1, worker 0 on the
    // calling thread, and returns when every call has returned. The job must
    // not throw.
    template <typename Job> void Run(Job& job) {
        RunErased(&job, [](void* context, std::int32_t worker) { (*static_cast<Job*>(context))(worker); });
    }

private:
    using TCall = void (*)(void* context, std::int32_t worker);

    void RunErased(void* context, TCall call);
    void StopHelpers();
    void HelperLoop(std::int32_t worker);

    std::vector<std::thread> Helpers;
    TWaterSharing SharingRule;
    // Bumped once per job (and once to stop); helpers wait for it to change.
    std::atomic<std::int32_t> Generation{0};
    // Helpers still working on the current job.
    std::atomic<std::int32_t> Busy{0};
    bool Stopping = false;
    void* Context = nullptr;
    TCall Call = nullptr;
};
