// The water workers: the plan of jobs run alone, and the team's promise that
// every call of a job falls inside its Run and that no worker is called twice
// for one job, with helpers that come in time and helpers that come late.

#include "game/water/WaterWorkersUnit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Runs shared jobs with the given outcomes and answers the solo jobs each
// one left planned, taking those solo jobs in between.
std::vector<std::int32_t> SoloRuns(TSoloPlan& plan, const std::vector<bool>& helped) {
    std::vector<std::int32_t> runs;
    for (const bool h : helped) {
        EXPECT_FALSE(plan.TakeSoloJob()) << "a shared job was due";
        plan.AfterSharedJob(h);
        std::int32_t solo = 0;
        while (plan.TakeSoloJob())
            ++solo;
        runs.push_back(solo);
    }
    return runs;
}

} // namespace

TEST(SoloPlan, JobsWithoutHelpDoubleTheStretchUpToItsLimitAndHelpedOnesHalveIt) {
    TSoloPlan plan;
    EXPECT_EQ(SoloRuns(plan, {true, true}), (std::vector<std::int32_t>{0, 0})) << "help plans nothing";
    EXPECT_EQ(SoloRuns(plan, {false, false, false}), (std::vector<std::int32_t>{1, 2, 4}));
    EXPECT_EQ(SoloRuns(plan, {true, true, false}), (std::vector<std::int32_t>{0, 0, 2}))
        << "4 halves to 2 and to 1, and doubles back to 2";
    std::vector<bool> never(12, false);
    EXPECT_EQ(SoloRuns(plan, never).back(), MaxSoloStretch) << "a busy machine still shares now and then";
    for (int i = 0; i < 8; ++i)
        plan.AfterSharedJob(true);
    EXPECT_EQ(plan.Stretch(), 0) << "a long helped stretch forgets the busy past";
    EXPECT_EQ(plan.SoloJobsLeft(), 0);
}

namespace {

// A job that checks the team's promise. Every call notes its worker; a call
// that starts or ends after its Run returned, or a worker called twice, is
// counted as a fault. In a job offered to the helpers, job(0) may wait (with
// a generous limit) until a helper has joined, and the helpers then linger a
// little, so that a Run returning before its helpers are done is seen;
// otherwise job(0) returns at once and late helpers must leave the job alone.
// Each job is an object of its own, so that a late call cannot pass for a
// call of the next job.
struct TCheckedJob {
    TCheckedJob(std::atomic<std::int32_t>& faults, bool waitForAHelper)
        : Faults(faults), WaitForAHelper(waitForAHelper) {}

    std::atomic<std::int32_t>& Faults;
    const bool WaitForAHelper;
    const std::thread::id Caller = std::this_thread::get_id();
    std::atomic<bool> Returned{false}; // its Run has returned
    std::atomic<std::uint32_t> Called{0};

    void operator()(std::int32_t worker) {
        Check(worker == 0 ? std::this_thread::get_id() == Caller : std::this_thread::get_id() != Caller);
        Check((Called.fetch_or(1u << worker) & (1u << worker)) == 0);
        if (worker == 0 && WaitForAHelper)
            Check(AHelperJoins());
        if (worker != 0 && WaitForAHelper)
            for (int k = 0; k < 1000; ++k)
                std::this_thread::yield();
        Check(true);
    }
    // An open job is taken up by a helper that is free; a minute is plenty
    // even on a loaded machine.
    bool AHelperJoins() const {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while ((Called.load() & ~1u) == 0)
            if (std::chrono::steady_clock::now() > limit)
                return false;
            else
                std::this_thread::yield();
        return true;
    }
    void Check(bool holds) {
        if (!holds || Returned.load())
            ++Faults;
    }
};

} // namespace

TEST(WaterWorkers, EveryCallFallsInsideItsRunAndNoWorkerIsCalledTwice) {
    constexpr std::int32_t Runs = 2000;
    for (const std::int32_t count : {2, 4}) {
        TWaterWorkers workers(count);
        ASSERT_EQ(workers.Count(), count);
        std::atomic<std::int32_t> faults{0};
        std::vector<std::unique_ptr<TCheckedJob>> jobs;
        std::int32_t helped = 0;
        for (std::int32_t run = 1; run <= Runs; ++run) {
            const bool offered = workers.Plan().SoloJobsLeft() == 0;
            jobs.push_back(std::make_unique<TCheckedJob>(faults, offered && run % 2 == 0));
            TCheckedJob& job = *jobs.back();
            workers.Run(job);
            job.Returned.store(true);
            EXPECT_NE(job.Called.load() & 1u, 0u) << "job(0) runs on the calling thread";
            helped += (job.Called.load() & ~1u) != 0 ? 1 : 0;
            ASSERT_EQ(faults.load(), 0) << count << " workers, run " << run;
        }
        EXPECT_GT(helped, 0) << "helpers that were waited for took part";
    }
}

// Helpers woken for jobs that closed before they came are still on their way
// when the team is destroyed: they must stop without touching a job again.
TEST(WaterWorkers, ATeamDestroyedRightAfterItsJobsStopsItsLateHelpers) {
    std::atomic<std::int32_t> faults{0};
    for (std::int32_t round = 1; round <= 100; ++round) {
        std::vector<std::unique_ptr<TCheckedJob>> jobs;
        {
            TWaterWorkers workers(2);
            for (std::int32_t run = 0; run < 20; ++run) {
                jobs.push_back(std::make_unique<TCheckedJob>(faults, false));
                workers.Run(*jobs.back());
                jobs.back()->Returned.store(true);
            }
        }
        for (const auto& job : jobs)
            EXPECT_NE(job->Called.load() & 1u, 0u) << "job(0) runs on the calling thread";
        ASSERT_EQ(faults.load(), 0) << "round " << round;
    }
}
