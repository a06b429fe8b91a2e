#include "game/water/ShakeTrigUnit.h"

#include <cmath>

double ShakeSin(double angle) {
    return std::sin(angle);
}

double ShakeCos(double angle) {
    return std::cos(angle);
}
