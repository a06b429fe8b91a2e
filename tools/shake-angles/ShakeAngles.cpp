// shake-angles: checks the browser build's sine and cosine (the native C
// library's, built from its source by scripts/web.sh) against this machine's C
// library on every angle the water's shake can draw, 2^32 of them. Built and
// run by `scripts/web.sh --check-angles`, natively, from the same compiled
// source as the browser's. Prints each angle whose bits differ, how far it
// got every 2^26 seeds, and a summary; exits with status 1 when one differs.
//
// usage: shake-angles [FIRST_SEED LAST_SEED]   (the whole range by default)

#include "game/water/ShakeTrigUnit.h"

#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" double vaporel_libm_sin(double angle);
extern "C" double vaporel_libm_cos(double angle);

namespace {

constexpr double TwoToMinus32 = 1.0 / 4294967296.0;
constexpr std::uint64_t ProgressEvery = std::uint64_t{1} << 26;

// The angle of RandomReal() after the generator's seed became `seed`.
double AngleOfSeed(std::uint32_t seed) {
    return (seed * TwoToMinus32) * ShakeTurn;
}

bool SameBits(double a, double b) {
    return a == b && std::signbit(a) == std::signbit(b);
}

// Prints a differing angle; answers whether the two agree.
bool Check(const char* name, std::uint32_t seed, double angle, double built, double native) {
    if (SameBits(built, native))
        return true;
    std::printf("%s seed=%" PRIu32 " angle=%a built=%a native=%a\n", name, seed, angle, built, native);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t first = 0, last = 0xffffffffu;
    if (argc == 3) {
        first = std::strtoull(argv[1], nullptr, 0);
        last = std::strtoull(argv[2], nullptr, 0);
    } else if (argc != 1 || first > last || last > 0xffffffffu) {
        std::fputs("usage: shake-angles [FIRST_SEED LAST_SEED]\n", stderr);
        return 2;
    }
    std::uint64_t differ = 0;
    for (std::uint64_t s = first; s <= last; ++s) {
        const auto seed = static_cast<std::uint32_t>(s);
        const double angle = AngleOfSeed(seed);
        differ += !Check("sin", seed, angle, vaporel_libm_sin(angle), std::sin(angle));
        differ += !Check("cos", seed, angle, vaporel_libm_cos(angle), std::cos(angle));
        if ((s + 1) % ProgressEvery == 0) {
            std::printf("seeds %" PRIu64 "..%" PRIu64 " done: %" PRIu64 " results differ\n", first, s,
                        differ);
            std::fflush(stdout);
        }
    }
    std::printf("seeds %" PRIu64 "..%" PRIu64 ": %" PRIu64 " results differ\n", first, last, differ);
    return differ == 0 ? 0 : 1;
}
