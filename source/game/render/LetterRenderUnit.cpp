#include "game/render/LetterRenderUnit.h"

#include "game/render/OpenGLRendererUnit.h"
#include "lib/Z5LogUnit.h"
#include "platform/FontRasterizer.h"

#include <array>
#include <cstdio>
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

} // namespace

// Feeds glyph contours to the GLU tessellator, whose callbacks issue the
// triangles into the display list being compiled. The nonzero winding rule
// leaves the holes of O, A, B, 8 open.
class TGlyphTessellator {
public:
    TGlyphTessellator() : Tessellator(GLU().NewTess()) {
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

    static TGlyphTessellator& Self(void* data) { return *static_cast<TGlyphTessellator*>(data); }
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

namespace {

// Compiles the glyph into `list`: its triangles, then the move by its advance.
// False when the tessellator reported an error.
bool CompileOutline(TGlyphTessellator& tessellator, const platform::OutlineGlyph& glyph, GLuint list) {
    GL().NewList(list, GL_COMPILE);
    const bool filled = tessellator.Tessellate(glyph);
    GL().Translated(glyph.Advance, 0, 0);
    GL().EndList();
    return filled;
}

std::string CharacterName(char32_t code) {
    char name[16] = {};
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
    return name;
}

} // namespace

TLetterRender::TLetterRender(TOpenGLRenderer& owner) : Owner_(owner) {}

TLetterRender::~TLetterRender() {
    DeleteLists();
}

void TLetterRender::DeleteLists() {
    Glyphs_.Clear();
    Faces_.reset();
    if (GL().IsList(ListBase_) == GL_TRUE)
        GL().DeleteLists(ListBase_, ListCount);
    ListBase_ = NoLists;
}

void TLetterRender::SetFont(const std::string& fontName, bool bold) {
    DeleteLists();
    ListBase_ = GL().GenLists(ListCount);
    if (ListBase_ == 0) {
        ListBase_ = NoLists;
        Log().WriteLine("no display lists are left for the outline font");
        throw EOpenGLRenderer(MsgOutlineFontFailed);
    }
    try {
        const auto face = platform::MatchFont(fontName, bold);
        const auto glyphs = platform::ExtractOutlineFont(face, GlyphCount, platform::FineFlatness);
        Tessellator_ = std::make_unique<TGlyphTessellator>();
        std::array<double, ListCount> advances{};
        for (int code = 0; code < GlyphCount; ++code) {
            const auto& glyph = glyphs[static_cast<std::size_t>(code)];
            advances[static_cast<std::size_t>(code)] = glyph.Advance;
            if (!CompileOutline(*Tessellator_, glyph, ListBase_ + static_cast<GLuint>(code)))
                throw platform::FontError(face.File + ": character " + std::to_string(code) +
                                          " cannot be tessellated");
        }
        Faces_ = std::make_unique<platform::GlyphFaces>(face, bold);
        Glyphs_.Reset(ListBase_, advances,
                      [this](char32_t code, GLuint list) { return CompileExtraGlyph(code, list); });
        Family = face.Family;
    } catch (const platform::FontError& error) {
        Log().WriteLine(error.what());
        throw EOpenGLRenderer(MsgOutlineFontFailed);
    }
}

// A character no installed face has, or one that cannot be read, stays an
// empty list that does not move the pen; the log says why once per character.
double TLetterRender::CompileExtraGlyph(char32_t code, GLuint list) {
    try {
        const platform::GlyphSource* source = Faces_->SourceOf(code);
        if (source == nullptr) {
            Log().WriteLine("no installed font has the character " + CharacterName(code));
            return 0;
        }
        const auto glyph = source->Outline(code, platform::FineFlatness);
        if (!CompileOutline(*Tessellator_, glyph, list))
            throw platform::FontError(source->Face().File + ": character " + CharacterName(code) +
                                      " cannot be tessellated");
        return glyph.Advance;
    } catch (const platform::FontError& error) {
        GL().NewList(list, GL_COMPILE); // whatever the failed glyph left in it goes
        GL().EndList();
        Log().WriteLine(error.what());
        return 0;
    }
}

double TLetterRender::Width(std::string_view text) {
    return Glyphs_.Width(text);
}

// The lists are in em units with y upwards: scaling y by -height turns them
// the right way up in the downward 2D projection.
void TLetterRender::DrawLine(std::string_view text, double x, double y, double z, double height,
                             bool upwards) {
    if (ListBase_ == NoLists || text.empty())
        return;
    const auto lists = Glyphs_.ListsOf(text); // compiles new characters before anything is drawn
    GL().PushMatrix();
    GL().Translated(x, y, z);
    if (upwards)
        GL().Rotated(-90, 0, 0, 1); // y runs downwards: a negative angle turns towards the top
    GL().Scaled(height, -height, 1);
    GL().PushAttrib(GL_LIST_BIT | GL_ENABLE_BIT);
    GL().Disable(GL_CULL_FACE); // the flip turns the triangles' winding around
    GL().ListBase(0);
    GL().CallLists(static_cast<GLsizei>(lists.size()), GL_UNSIGNED_INT, lists.data());
    GL().PopAttrib();
    GL().PopMatrix();
}
