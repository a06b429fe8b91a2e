#pragma once
// The sine and cosine of the shake's angles. The water's bits must be the
// same wherever it runs, so the browser build does not take them from the
// browser's C library, which rounds differently: it links the native C
// library's own functions, built for it (ShakeTrigUnitWeb.cpp).

// The shake's angle is RandomReal() * ShakeTurn, RandomReal() being one of
// the 2^32 values seed * 2^-32: tools/shake-angles tries every one of them.
constexpr double ShakeTurn = 6.283185307179586; // 2 pi

double ShakeSin(double angle);
double ShakeCos(double angle);
