// The browser build's shake: the native C library's sine and cosine, built
// with emcc from its source (scripts/web.sh); tools/shake-angles checks them
// against the native ones on every angle the shake can draw.
#include "game/water/ShakeTrigUnit.h"

extern "C" double vaporel_libm_sin(double angle);
extern "C" double vaporel_libm_cos(double angle);

double ShakeSin(double angle) {
    return vaporel_libm_sin(angle);
}

double ShakeCos(double angle) {
    return vaporel_libm_cos(angle);
}
