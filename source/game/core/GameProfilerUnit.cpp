#include "game/core/GameProfilerUnit.h"

#include <string>

TGameProfiler::TGameProfiler() : Profiler(std::make_unique<TZ5Profiler>()) {
    AddItems();
}

TGameProfiler::TGameProfiler(TZ5Profiler::TCounter counter, std::int64_t frequency)
    : Profiler(std::make_unique<TZ5Profiler>(counter, frequency)) {
    AddItems();
}

// Item index = ordinal, so Start(id) reaches the item named after id.
void TGameProfiler::AddItems() {
    for (const std::string_view name : ProfileIDNames)
        Profiler->AddItem(std::string(name));
}
