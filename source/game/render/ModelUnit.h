#pragma once
// Four small line models kept as display lists: a circle, a diamond, a square
// and a point. The game builds them at start-up; nothing draws them yet.

#include "platform/OpenGLObjects.h"

class TModelManager {
public:
    static constexpr int ModelCount = 4;
    enum : int { mlCircle, mlDiamond, mlSquare, mlPoint }; // offsets from ListBase

    TModelManager() = default;
    // Compiles the four lists; the context must be current (and stay so until
    // this object goes, which deletes them).
    void BuildLists();

    platform::gl::GLuint ListBase() const { return Lists.Base(); }

private:
    platform::DisplayListRange Lists;
};
