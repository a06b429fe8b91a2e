// Fuzzed bytes as a replay file: the reader either gives a replay or raises
// EReplayError with one line free of control characters. A replay it gives
// keeps the bounds it promises and reads back the same from its own text.
// Crashes, hangs, leaks and sanitizer reports are findings.

#include "game/stages/ReplayUnit.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

bool KeepsTheBounds(const TReplay& replay) {
    return IsStageName(replay.Stage) && replay.EndFrame >= 0 && replay.EndFrame <= MaxReplayFrames &&
           std::all_of(replay.Steps.begin(), replay.Steps.end(), [](const TReplayStep& step) {
               return step.Frame >= 1 && step.Frame <= MaxReplayFrames;
           });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TReplay replay;
    try {
        replay = ParseReplay(text, "fuzz.txt");
    } catch (const EReplayError& error) {
        if (std::any_of(error.what(), error.what() + std::char_traits<char>::length(error.what()), IsControl))
            std::abort();
        return 0;
    }
    if (!KeepsTheBounds(replay) || !(ParseReplay(FormatReplay(replay), "again.txt") == replay))
        std::abort();
    return 0;
}
