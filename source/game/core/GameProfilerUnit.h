#pragma once
// The game's measuring points over one engine profiler whose item indices are
// exactly the ordinals of TProfileID.

#include "lib/Z5ProfilerUnit.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

enum TProfileID : std::uint8_t {
    pidBoxExecute,       // the box's frame step
    pidCheckCollision,   // particle-against-particle collision phase
    pidMakeCollisionMap, // each rebuild of the collision map
    pidDraw,             // the application's whole drawing of a frame
    pidBoxDraw,          // the box's drawing
    pidLoadMap,          // loading a stage folder
    pidLoading,          // the game renderer's loading of its pictures
    pidTest,             // not measured anywhere
};

inline constexpr int ProfileIDCount = pidTest + 1;

inline constexpr std::array<std::string_view, ProfileIDCount> ProfileIDNames = {
    "pidBoxExecute", "pidCheckCollision", "pidMakeCollisionMap", "pidDraw",
    "pidBoxDraw",    "pidLoadMap",        "pidLoading",          "pidTest",
};

class TGameProfiler {
public:
    // Over the platform's performance counter.
    TGameProfiler();
    // Over the given counter (tests); a frequency of 0 disables profiling.
    TGameProfiler(TZ5Profiler::TCounter counter, std::int64_t frequency);
    TGameProfiler(const TGameProfiler&) = delete;
    TGameProfiler& operator=(const TGameProfiler&) = delete;

    void Start(TProfileID id) { Profiler->Start(id); }
    void Stop(TProfileID id) { Profiler->Stop(id); }
    void WriteLog() const { Profiler->WriteLog(); }

    const TZ5Profiler& Engine() const { return *Profiler; }

private:
    void AddItems();

    std::unique_ptr<TZ5Profiler> Profiler;
};
