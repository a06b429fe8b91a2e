#include "game/render/LetterRenderUnit.h"

#include "game/render/OpenGLRendererUnit.h"
#include "lib/Z5LogUnit.h"
#include "platform/FontRasterizer.h"

#include <array>
#include <deque>
#include <memory>
#include <vector>

using namespace platform::gl;
using platform::GL;
using platform::GLU;

namespace {

using Vertex = std::array<GLdouble, 3>;

struct TessellatorDeleter {
    void operator()(GLUtesselator* tessellator) const { GLU().DeleteTess(tessellator); }
};
using TessellatorPtr = std::unique_ptr<GLUtesselator, TessellatorDeleter>;

// Feeds glyph contours to the GLU tessellator, whose callbacks issue the
// triangles into the display list being compiled. The nonzero winding rule
// leaves the holes of O, A, B, 8 open.
class GlyphTessellator {
public:
    GlyphTessellator() : Tessellator(GLU().NewTess()) {
        if (Tessellator == nullptr)
            throw platform::FontError("the GLU tessellator cannot be created");
        GLUtesselator* t = Tessellator.get();
        GLU().TessCallback(t, GLU_TESS_BEGIN_DATA, reinterpret_cast<GLUTessCallback>(&OnBegin));
        GLU().TessCallback(t, GLU_TESS_VERTEX_DATA, reinterpret_cast<GLUTessCallback>(&OnVertex));
        GLU().TessCallback(t, GLU_TESS_END_DATA, reinterpret_cast<GLUTessCallback>(&OnEnd));
        GLU().TessCallback(t, GLU_TESS_ERROR_DATA, reinterpret_cast<GLUTessCallback>(&OnError));
        GLU().TessCallback(t, GLU_TESS_COMBINE_DATA, reinterpret_cast<GLUTessCallback>(&OnCombine));
        GLU().TessProperty(t, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
        GLU().TessNormal(t, 0, 0, 1); // flat letters facing the viewer: triangles counter-clockwise
    }

    // Issues the glyph's triangles; false when the tessellator reported an error.
    bool Tessellate(const platform::OutlineGlyph& glyph) {
        PrepareVertices(glyph);
        Failed = false;
        GLUtesselator* t = Tessellator.get();
        std::size_t next = 0;
        GLU().TessBeginPolygon(t, this);
        for (const auto& contour : glyph.Contours) {
            GLU().TessBeginContour(t);
            for (std::size_t i = 0; i < contour.size(); ++i, ++next)
                GLU().TessVertex(t, Vertices[next].data(), Vertices[next].data());
            GLU().TessEndContour(t);
        }
        GLU().TessEndPolygon(t);
        Combined.clear();
        return !Failed;
    }

private:
    // The tessellator keeps the vertex addresses until the polygon ends, so
    // they live in storage that does not move meanwhile.
    void PrepareVertices(const platform::OutlineGlyph& glyph) {
        Vertices.clear();
        for (const auto& contour : glyph.Contours)
            for (const auto& point : contour)
                Vertices.push_back({point.X, point.Y, 0});
    }

    static GlyphTessellator& Self(void* data) { return *static_cast<GlyphTessellator*>(data); }
    static void OnBegin(GLenum type, void*) { GL().Begin(type); }
    static void OnVertex(void* vertex, void*) { GL().Vertex3dv(static_cast<const GLdouble*>(vertex)); }
    static void OnEnd(void*) { GL().End(); }
    static void OnError(GLenum, void* data) { Self(data).Failed = true; }
    static void OnCombine(const GLdouble coords[3], void* [4], const GLfloat[4], void** out, void* data) {
        Vertex& vertex = Self(data).Combined.emplace_back(Vertex{coords[0], coords[1], coords[2]});
        *out = vertex.data();
    }

    TessellatorPtr Tessellator;
    std::vector<Vertex> Vertices;
    std::deque<Vertex> Combined; // intersections the tessellator adds; a deque keeps addresses
    bool Failed = false;
};

} // namespace

TLetterRender::TLetterRender(TOpenGLRenderer& owner) : Owner_(owner) {}

TLetterRender::~TLetterRender() {
    DeleteLists();
}

void TLetterRender::DeleteLists() {
    if (GL().IsList(ListBase_) == GL_TRUE)
        GL().DeleteLists(ListBase_, ListCount);
    ListBase_ = NoLists;
}

void TLetterRender::SetFont(const std::string& fontName, bool bold) {
    DeleteLists();
    Advances.fill(0);
    ListBase_ = GL().GenLists(ListCount);
    if (ListBase_ == 0) {
        ListBase_ = NoLists;
        Log().WriteLine("no display lists are left for the outline font");
        throw EOpenGLRenderer(MsgOutlineFontFailed);
    }
    try {
        const auto face = platform::MatchFont(fontName, bold);
        const auto glyphs = platform::ExtractOutlineFont(face, GlyphCount, platform::FineFlatness);
        GlyphTessellator tessellator;
        for (int code = 0; code < GlyphCount; ++code) {
            const auto& glyph = glyphs[static_cast<std::size_t>(code)];
            GL().NewList(ListBase_ + static_cast<GLuint>(code), GL_COMPILE);
            const bool filled = tessellator.Tessellate(glyph);
            GL().Translated(glyph.Advance, 0, 0);
            GL().EndList();
            Advances[static_cast<std::size_t>(code)] = glyph.Advance;
            if (!filled)
                throw platform::FontError(face.File + ": character " + std::to_string(code) +
                                          " cannot be tessellated");
        }
        Family = face.Family;
    } catch (const platform::FontError& error) {
        Log().WriteLine(error.what());
        throw EOpenGLRenderer(MsgOutlineFontFailed);
    }
}

double TLetterRender::Width(std::string_view text) const {
    double width = 0;
    for (const char c : text)
        width += Advances[static_cast<unsigned char>(c)];
    return width;
}

// The lists are in em units with y upwards: scaling y by -height turns them
// the right way up in the downward 2D projection.
void TLetterRender::DrawLine(std::string_view text, double x, double y, double z, double height,
                             bool upwards) const {
    if (ListBase_ == NoLists || text.empty())
        return;
    GL().PushMatrix();
    GL().Translated(x, y, z);
    if (upwards)
        GL().Rotated(-90, 0, 0, 1); // y runs downwards: a negative angle turns towards the top
    GL().Scaled(height, -height, 1);
    GL().PushAttrib(GL_LIST_BIT | GL_ENABLE_BIT);
    GL().Disable(GL_CULL_FACE); // the flip turns the triangles' winding around
    GL().ListBase(ListBase_);
    GL().CallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
    GL().PopAttrib();
    GL().PopMatrix();
}
