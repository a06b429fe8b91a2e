#pragma once
// A fixed team of threads for the water step: the calling thread is worker 0,
// the others are helper threads started once and kept until the team is
// destroyed. Run opens one job; the calling thread works on it, and so does
// every helper that takes it up before the calling thread's own part is
// done. A helper that is not running then (the machine is busy with other
// programs) is not waited for: the job splits its work among whoever takes
// it up. When no helper came in time, or the calling thread had to block
// for a helper's progress anyway (the helper lost its core in the middle of
// the job), the job went without help, and the next jobs run without
// helpers. Nothing is allocated per job. A waiting thread spins only briefly
// and then blocks until the value it waits for is published, so a helper
// that is not needed, or a paused game, costs no processor time.

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

// Most threads a box uses; more than the map has columns to share would only wait.
inline constexpr std::int32_t MaxWaterThreads = 8;

// Pools smaller than this step faster on one thread: a pass over their water
// takes about as long as waking a second thread and waiting for it.
inline constexpr std::int32_t SharedStepParticles = 2000;

// Cores a machine needs before the water takes a second thread: on two cores
// the game's own threads would take turns with the second worker, and a pass
// gains little.
inline constexpr unsigned SharedStepCores = 4;

// The number of threads the game and the stage runner use for a pool of
// `poolSize` particles unless told otherwise: two where the machine has cores
// to spare and the pool is large enough to be worth sharing, else one.
std::int32_t DefaultWaterThreadCount(std::int32_t poolSize);

// Whether a job takes every worker of the team, or a second one only where
// the job gains from it (the job judges that: see TCollisionPass).
enum TWaterSharing : std::uint8_t { wsEveryJob, wsWhereItGains };

// The most jobs run without helpers after one that went without their help:
// the stretch doubles with every such job and halves with every job they
// helped in, so a machine busy with other programs, or jobs too small to
// wake a helper for, soon run on one thread, and an idle machine with large
// jobs soon shares them again.
inline constexpr std::int32_t MaxSoloStretch = 128;

// How many of the next jobs the calling thread runs without helpers.
class TSoloPlan {
public:
    // Whether the next job runs alone; a job that does is counted off.
    bool TakeSoloJob();
    // After a job offered to the helpers: whether they helped.
    void AfterSharedJob(bool helped);
    std::int32_t SoloJobsLeft() const { return Left; }
    std::int32_t Stretch() const { return Length; }

private:
    std::int32_t Left = 0;
    std::int32_t Length = 0; // solo jobs planned after the last job without help
};

class TWaterWorkers {
public:
    // `count` workers in all (clamped to 1..MaxWaterThreads); count - 1 helper threads.
    explicit TWaterWorkers(std::int32_t count, TWaterSharing sharing = wsEveryJob);
    ~TWaterWorkers();
    TWaterWorkers(const TWaterWorkers&) = delete;
    TWaterWorkers& operator=(const TWaterWorkers&) = delete;

    std::int32_t Count() const { return static_cast<std::int32_t>(Helpers.size()) + 1; }
    TWaterSharing Sharing() const { return SharingRule; }
    // The jobs the calling thread runs alone next; the one after them is
    // offered to the helpers.
    const TSoloPlan& Plan() const { return SoloPlan; }

    // Calls job(0) on the calling thread, and job(w) on each helper w that
    // takes the job up before job(0) returns; returns when every call made
    // has returned. No call is made after Run returns. The job must hand
    // out its work to whichever workers come (job(0) alone may have to do
    // all of it) and must not throw.
    template <typename Job> void Run(Job& job) {
        RunErased(&job, [](void* context, std::int32_t worker) { (*static_cast<Job*>(context))(worker); });
    }

    // A worker's wait, inside a job, until `value` (another worker's
    // progress) is at least `target`: a short spin for the usual brief wait,
    // then blocked until a store notifies.
    void WaitUntilAtLeast(std::int32_t worker, const std::atomic<std::int32_t>& value, std::int32_t target);

private:
    using TCall = void (*)(void* context, std::int32_t worker);

    void RunErased(void* context, TCall call);
    void RunShared(void* context, TCall call);
    void CloseJobAndWait();
    bool TryJoin(std::uint32_t ticket);
    void Leave();
    void StopHelpers();
    void HelperLoop(std::int32_t worker);

    std::vector<std::thread> Helpers;
    TWaterSharing SharingRule;
    // Bumped once per job (and once to stop); helpers wait for it to change.
    // Only the calling thread writes it.
    std::atomic<std::uint32_t> Generation{0};
    // The open job: its generation in the upper half, whether it is closed
    // to helpers, and the helpers working on it in the lowest bits. One word,
    // so that joining and closing cannot cross.
    std::atomic<std::uint64_t> JobState{0};
    // Set before the last bump of Generation; a helper woken late for an
    // earlier job may read it while it is set, so it is atomic too.
    std::atomic<bool> Stopping{false};
    // Kept by the calling thread alone: whether the running job goes
    // without the helpers' help, and the jobs it runs alone.
    bool Unhelped = false;
    TSoloPlan SoloPlan;
    void* Context = nullptr;
    TCall Call = nullptr;
};
