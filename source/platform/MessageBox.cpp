#include "platform/MessageBox.h"

#include <SDL.h>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

// The X11 box is drawn by a child process of SDL's, which now and then fails to
// come up on a busy display; a second try almost always shows it.
constexpr int BoxAttempts = 3;

// The box runs in a process of its own, in a process group of its own, so that
// a quit request can end it together with SDL's child that draws it (SDL's
// own signal handlers would otherwise swallow the request in both).
constexpr int QuitSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int BoxShown = 0;  // exit status of the box process
constexpr int BoxFailed = 1; // no box could be shown

volatile sig_atomic_t BoxGroup = 0; // the open box's process group; 0 when none

extern "C" void CloseBoxOnQuit(int) {
    if (BoxGroup > 0)
        ::kill(-BoxGroup, SIGTERM);
}

sigset_t QuitSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int quit : QuitSignals)
        sigaddset(&set, quit);
    return set;
}

// A quit signal ignored since the start (nohup, a background job of a
// script) stays ignored, in the game and in the box: who started the game
// asked for that. SDL, too, handles only signals it finds at their default.
void HandleQuitSignals(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int quit : QuitSignals) {
        struct sigaction current {};
        if (::sigaction(quit, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
            ::sigaction(quit, &action, nullptr);
    }
}

// SDL's box draws its text in the codeset of the locale the environment
// names; under one that is not UTF-8 (LANG=C) it stops at the first byte
// past ASCII. Our texts are UTF-8, so the box's own process reads them so.
void UseUtf8Locale() {
    if (std::setlocale(LC_CTYPE, "") == nullptr || std::strcmp(::nl_langinfo(CODESET), "UTF-8") != 0)
        ::setenv("LC_ALL", "C.UTF-8", 1);
}

[[noreturn]] void RunBoxProcess(const std::string& caption, const std::string& text, pid_t game) {
    ::setpgid(0, 0);
    HandleQuitSignals(SIG_DFL);
    const sigset_t quit = QuitSignalSet();
    ::pthread_sigmask(SIG_UNBLOCK, &quit, nullptr);
    // A game that dies without closing the box takes it along.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != game)
        ::_exit(BoxFailed);
    UseUtf8Locale();
    for (int attempt = 0; attempt < BoxAttempts; ++attempt)
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr) == 0)
            ::_exit(BoxShown);
    ::_exit(BoxFailed); // no exit handlers: they belong to the game
}

// Waits for the box process to end and reaps it; true when it showed the box
// (or was closed by a quit request, which counts the same).
bool AwaitBox(pid_t box) {
    siginfo_t ended{};
    // Not reaped yet, so that its id cannot be reused while the handler may
    // still send to its group.
    while (::waitid(P_PID, static_cast<id_t>(box), &ended, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    const sigset_t quit = QuitSignalSet();
    sigset_t before;
    ::pthread_sigmask(SIG_BLOCK, &quit, &before);
    BoxGroup = 0;
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    int status = 0;
    while (::waitpid(box, &status, 0) < 0 && errno == EINTR) {
    }
    return !(WIFEXITED(status) && WEXITSTATUS(status) == BoxFailed);
}

// True when the box was shown; false when none could be.
bool ShowBoxInOwnProcess(const std::string& caption, const std::string& text) {
    const sigset_t quit = QuitSignalSet();
    sigset_t before;
    // Blocked until the box's group is known, so that no request slips between.
    ::pthread_sigmask(SIG_BLOCK, &quit, &before);
    HandleQuitSignals(CloseBoxOnQuit);
    const pid_t game = ::getpid();
    const pid_t box = ::fork();
    if (box == 0)
        RunBoxProcess(caption, text, game);
    if (box > 0) {
        ::setpgid(box, box); // also here: the child may not have run yet
        BoxGroup = box;
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return box > 0 && AwaitBox(box);
}

} // namespace

void ShowErrorBox(const std::string& caption, const std::string& text) {
    if (!ShowBoxInOwnProcess(caption, text))
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

} // namespace platform
