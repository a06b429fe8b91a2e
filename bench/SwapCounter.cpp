// Preloaded into the game by bench/draw-rate.sh: counts the buffer swaps, that
// is the drawn frames, and about once a second appends "SECONDS SWAPS" (a
// monotonic clock and the swaps so far) to the file named by
// VAPOREL_SWAP_LOG. The game itself is not changed for it.

#include <SDL.h>

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

using TSwap = void (*)(SDL_Window*);

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void AppendCount(double seconds, std::uint64_t swaps) {
    const char* path = std::getenv("VAPOREL_SWAP_LOG");
    if (path == nullptr)
        return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%.6f %llu\n", seconds, static_cast<unsigned long long>(swaps));
        std::fclose(file);
    }
}

} // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
    static const auto next = reinterpret_cast<TSwap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    static std::uint64_t swaps = 0;
    static double written = 0;
    next(window);
    ++swaps;
    const double now = MonotonicSeconds();
    if (now - written >= 1.0) {
        AppendCount(now, swaps);
        written = now;
    }
}
