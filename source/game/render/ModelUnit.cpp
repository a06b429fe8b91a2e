#include "game/render/ModelUnit.h"

#include "platform/Exception.h"

#include <array>
#include <cmath>
#include <numbers>

using namespace platform::gl;
using platform::GL;

namespace {

constexpr int CircleSegments = 16;
constexpr double CircleRadius = 16.0;   // pixels
constexpr double DiamondRadius = 4.0;   // pixels
constexpr double SquareHalfSide = 16.0; // pixels
constexpr GLfloat ThickLine = 2.0f;     // pixels
constexpr GLfloat ThinLine = 1.0f;      // pixels
constexpr GLfloat PointDiameter = 8.0f; // pixels

void CompileCircle() {
    GL().LineWidth(ThickLine);
    GL().Begin(GL_LINES);
    for (int i = 0; i < CircleSegments; ++i) {
        const double from = 2 * std::numbers::pi * i / CircleSegments;
        const double to = 2 * std::numbers::pi * (i + 1) / CircleSegments;
        GL().Vertex3f(static_cast<GLfloat>(CircleRadius * std::cos(from)),
                      static_cast<GLfloat>(CircleRadius * std::sin(from)), 0);
        GL().Vertex3f(static_cast<GLfloat>(CircleRadius * std::cos(to)),
                      static_cast<GLfloat>(CircleRadius * std::sin(to)), 0);
    }
    GL().End();
}

struct Corner {
    GLfloat X, Y;
};

void CompileBlackLoop(GLfloat lineWidth, const std::array<Corner, 4>& corners) {
    GL().LineWidth(lineWidth);
    GL().Begin(GL_LINE_LOOP);
    GL().Color3f(0, 0, 0);
    for (const Corner& corner : corners)
        GL().Vertex3f(corner.X, corner.Y, 0);
    GL().End();
}

void CompileDiamond() {
    constexpr auto r = static_cast<GLfloat>(DiamondRadius);
    CompileBlackLoop(ThickLine, {{{0, -r}, {r, 0}, {0, r}, {-r, 0}}});
}

void CompileSquare() {
    constexpr auto h = static_cast<GLfloat>(SquareHalfSide);
    CompileBlackLoop(ThinLine, {{{-h, -h}, {h, -h}, {h, h}, {-h, h}}});
}

void CompilePoint() {
    GL().PointSize(PointDiameter);
    GL().Begin(GL_POINTS);
    GL().Color3f(0, 0, 0);
    GL().Vertex3f(0, 0, 0);
    GL().End();
}

void CompileList(GLuint list, void (*compile)()) {
    GL().NewList(list, GL_COMPILE);
    compile();
    GL().EndList();
}

} // namespace

void TModelManager::BuildLists() {
    Lists = platform::DisplayListRange(ModelCount);
    if (!Lists.Reserved())
        throw Exception("no display lists are left for the models");
    const GLuint base = Lists.Base();
    CompileList(base + mlCircle, CompileCircle);
    CompileList(base + mlDiamond, CompileDiamond);
    CompileList(base + mlSquare, CompileSquare);
    CompileList(base + mlPoint, CompilePoint);
}
