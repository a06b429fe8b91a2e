#pragma once
// Three-component vectors of 64-bit floats. The water simulation is planar and
// keeps z at 0; every operation still works on all three components, in the
// order written, because the simulation's results are defined to the bit.

#include <cmath>

struct TVector3D {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline void VectorZero(TVector3D& v) {
    v = TVector3D{};
}

inline void VectorAdd(TVector3D& v, const TVector3D& a) {
    v.x += a.x;
    v.y += a.y;
    v.z += a.z;
}

inline void VectorSub(TVector3D& v, const TVector3D& a) {
    v.x -= a.x;
    v.y -= a.y;
    v.z -= a.z;
}

inline void VectorScale(TVector3D& v, double s) {
    v.x *= s;
    v.y *= s;
    v.z *= s;
}

// out := a - b
inline void VectorDiff(const TVector3D& a, const TVector3D& b, TVector3D& out) {
    out.x = a.x - b.x;
    out.y = a.y - b.y;
    out.z = a.z - b.z;
}

// out := v * s
inline void VectorScaled(const TVector3D& v, double s, TVector3D& out) {
    out.x = v.x * s;
    out.y = v.y * s;
    out.z = v.z * s;
}

// sqrt((x*x + y*y) + z*z), summed left to right.
inline double VectorLength(const TVector3D& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// Each component divided by the length (a division, not a multiplication by
// its reciprocal, which would round differently). A zero vector gives NaNs:
// callers test for it first.
inline void VectorNormalize(TVector3D& v) {
    const double length = VectorLength(v);
    v.x /= length;
    v.y /= length;
    v.z /= length;
}
