// The program entry: one instance at a time; any error that escapes the game
// ends up in the log and in a message box, and the program ends with status 1.

#include "game/core/DirectDrawUnit.h"
#include "game/app/GameUnit.h"
#include "game/app/PlayerMessageUnit.h"
#include "lib/Z5LogUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/MessageBox.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr int ExitFailure = 1;

// The log records the program's own texts; the player reads them in the
// player's language.
void ReportError(const std::string& message) {
    WriteError(message);
    platform::ShowErrorBox("error", PlayerMessage(message));
}

int RunGame() {
    try {
        // The application is freed before the handler runs, also on failure.
        const auto app = std::make_unique<TGameApp>();
        app->Run();
    } catch (const std::exception& error) {
        ReportError(error.what());
        return ExitFailure;
    }
    return 0;
}

} // namespace

int main() {
    // A second copy leaves no trace, not even banners in the first one's log.
    std::string lockProblem;
    if (IsAlreadyRunning(InstanceName, lockProblem))
        return 0;
    // Order of start-up: the log and the display mode exist before the game
    // and go after it (function statics are destroyed in reverse order).
    Log();
    if (!lockProblem.empty())
        Log().WriteLine("No single-instance lock can be made, so a second copy would not be stopped (" +
                        lockProblem + ")");
    DisplayMode();
    // The data folders are relative to the program, wherever it was started from.
    std::error_code error;
    std::filesystem::current_path(ExeDir, error);
    if (error) {
        std::fprintf(stderr, "vaporel: cannot enter the program's folder %s: %s\n", ExeDir.c_str(),
                     error.message().c_str());
        return ExitFailure;
    }
    return RunGame();
}
