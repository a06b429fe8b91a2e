// The program entry: one instance at a time; any error that escapes the game
// ends up in the log and in a message box, and the program ends with status 1.

#include "game/app/GameUnit.h"
#include "game/core/DirectDrawUnit.h"
#include "game/texts/PlayerTextsUnit.h"
#include "lib/Z5LogUnit.h"
#include "lib/Z5UtilsUnit.h"
#include "platform/MessageBox.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int ExitFailure = 1;

constexpr std::string_view Usage =
    TextId("usage: vaporel [--help | --version | SHARE_FILE...]\n"
           "The Vaporel Vovor of ZANK: water pours through a tower of cells; redraw the map\n"
           "with the mouse so that the blue water reaches the outlets. F1 in the game shows\n"
           "every key.\n"
           "  SHARE_FILE  a shared stage: the game checks it by playing its proof and adds\n"
           "              it to your own stages, chosen on the title (so does a file\n"
           "              dropped on the window)\n"
           "  --help      print this text\n"
           "  --version   print the version\n");

// These two answer without starting the game. True when one was given (and
// answered).
bool AnswerInformationOption(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(std::string(PlayerText(Usage)).c_str(), stdout);
            return true;
        }
        if (arg == "--version") {
            std::fputs(VersionText("vaporel").c_str(), stdout);
            return true;
        }
    }
    return false;
}

// The log records the program's own texts; the player reads them in the
// player's language.
void ReportError(const std::string& message) {
    WriteError(message);
    platform::ShowErrorBox(std::string(PlayerText(TextId("error"))), PlayerMessage(message));
}

// The arguments that are no option: share files, named from where the game
// was started (it then works in its data folder).
std::vector<std::string> SharedFiles(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::error_code error;
    for (const std::string& arg : args)
        if (!arg.starts_with("-")) {
            const std::filesystem::path absolute = std::filesystem::absolute(arg, error);
            files.push_back(error ? arg : absolute.string());
        }
    return files;
}

int RunGame(const std::vector<std::string>& sharedFiles) {
    try {
        // The application is freed before the handler runs, also on failure.
        const auto app = std::make_unique<TGameApp>();
        app->AddSharedStagesAtStart(sharedFiles);
        app->Run();
    } catch (const std::exception& error) {
        ReportError(error.what());
        return ExitFailure;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (AnswerInformationOption(args))
        return 0;
    // A second copy leaves no trace, not even banners in the first one's log;
    // one given a share file says where the file can go instead.
    const std::vector<std::string> sharedFiles = SharedFiles(args);
    std::string lockProblem;
    if (IsAlreadyRunning(InstanceName, lockProblem)) {
        if (sharedFiles.empty())
            return 0;
        std::fputs(
            PlayerFormat(TextId("vaporel is already running: drop %s on its window to add the stage.\n"),
                         sharedFiles.front().c_str())
                .c_str(),
            stderr);
        return ExitFailure;
    }
    // Order of start-up: the log and the display mode exist before the game
    // and go after it (function statics are destroyed in reverse order).
    Log();
    if (!lockProblem.empty())
        Log().WriteLine("No single-instance lock can be made, so a second copy would not be stopped (" +
                        lockProblem + ")");
    for (const std::string& fault : PlayerTexts().Faults())
        Log().WriteLine(fault);
    DisplayMode();
    // The data folders are relative to the program, wherever it was started from.
    std::error_code error;
    std::filesystem::current_path(DataDir, error);
    if (error) {
        std::fputs(PlayerFormat(TextId("vaporel: cannot enter the data folder %s: %s\n"), DataDir.c_str(),
                                error.message().c_str())
                       .c_str(),
                   stderr);
        return ExitFailure;
    }
    return RunGame(sharedFiles);
}
