#include "game/render/OpenGLRendererUnit.h"

#include "lib/Z5LogUnit.h"
#include "platform/FontRasterizer.h"
#include "platform/OpenGLContext.h"

#include <algorithm>

using namespace platform::gl;
using platform::GL;

namespace {

const char* MessageFor(platform::OpenGLContextError::Step step) {
    using Step = platform::OpenGLContextError::Step;
    switch (step) {
    case Step::NoPixelFormat: return MsgPixelFormatNotFound;
    case Step::PixelFormatNotSet: return MsgPixelFormatNotSet;
    case Step::ContextNotCreated: return MsgContextNotCreated;
    case Step::ContextNotCurrent: break;
    }
    return MsgContextNotCurrent;
}

std::unique_ptr<platform::OpenGLContext> CreateContext(platform::WindowHandle window) {
    if (!platform::LoadOpenGLBinding())
        throw EOpenGLRenderer(MsgOpenGLInitFailed);
    try {
        return std::make_unique<platform::OpenGLContext>(window);
    } catch (const platform::OpenGLContextError& error) {
        Log().WriteLine(error.what()); // the detail the fixed message leaves out
        throw EOpenGLRenderer(MessageFor(error.FailedStep));
    }
}

// A glyph without a picture that moves nothing (a code the face lacks) leaves
// its list empty. glBitmap copies the glyph bits with the unpack alignment in
// force while the list is compiled; the glyph rows are byte-aligned.
void CompileGlyph(GLuint list, const platform::BitmapGlyph& glyph) {
    GLint alignment = 4;
    GL().GetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    GL().PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GL().NewList(list, GL_COMPILE);
    if (glyph.Advance != 0 || !glyph.Bits.empty())
        GL().Bitmap(glyph.Width, glyph.Height, glyph.OriginX, glyph.OriginY, glyph.Advance, 0,
                    glyph.Bits.empty() ? nullptr : glyph.Bits.data());
    GL().EndList();
    GL().PixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

} // namespace

TOpenGLRenderer::TOpenGLRenderer(TApp& app) : TOpenGLRenderer(app.Handle()) {
    App_ = &app;
}

TOpenGLRenderer::TOpenGLRenderer(platform::WindowHandle window)
    : Window_(window), Context(CreateContext(window)) {
    BuildBitmapFont();
    ClearColorBuffers();
}

// A new window's buffers hold whatever the driver left there: both start as
// an empty white picture until a scene covers them.
void TOpenGLRenderer::ClearColorBuffers() {
    GL().ClearColor(1, 1, 1, 1);
    for (int buffer = 0; buffer < 2; ++buffer) {
        GL().Clear(GL_COLOR_BUFFER_BIT);
        Context->SwapBuffers();
    }
}

TOpenGLRenderer::~TOpenGLRenderer() = default;

void TOpenGLRenderer::BuildBitmapFont() {
    try {
        const auto face = platform::MatchFont(platform::DefaultSansFamily, false);
        const auto glyphs = platform::RasterizeBitmapFont(face, BitmapFontHeight, BitmapFontGlyphCount);
        FontLists = platform::DisplayListRange(BitmapFontListCount);
        if (!FontLists.Reserved())
            throw platform::FontError("no display lists are left for the bitmap font");
        std::array<double, BitmapFontListCount> advances{};
        for (int code = 0; code < BitmapFontGlyphCount; ++code) {
            const platform::BitmapGlyph& glyph = glyphs[static_cast<std::size_t>(code)];
            CompileGlyph(FontLists.Base() + static_cast<GLuint>(code), glyph);
            advances[static_cast<std::size_t>(code)] = glyph.Advance;
        }
        GL().PixelStorei(GL_UNPACK_ALIGNMENT, 1); // byte-aligned rows for what unpacks pixels next
        FontFaces = std::make_unique<platform::GlyphFaces>(face, false, BitmapFontHeight);
        FontGlyphs.Reset(FontLists.Base(), advances,
                         [this](char32_t code, GLuint list) { return CompileExtraGlyph(code, list); });
    } catch (const platform::FontError& error) {
        Log().WriteLine(error.what());
        throw EOpenGLRenderer(MsgBitmapFontFailed);
    }
}

void TOpenGLRenderer::SetSize(int width, int height) {
    Width_ = width;
    Height_ = height == 0 ? 1 : height;
    Resize();
}

void TOpenGLRenderer::Resize() {
    ApplyPresentationViewport();
    GL().MatrixMode(GL_PROJECTION);
    GL().LoadIdentity();
    // A horizontal field of view of 90 degrees: the near plane is as wide as it is far away.
    const double aspect = static_cast<double>(Height_) / std::max(Width_, 1);
    GL().Frustum(-NearDistance_, NearDistance_, -NearDistance_ * aspect, NearDistance_ * aspect,
                 DefaultNearDistance, FarDistance_);
    GL().MatrixMode(GL_MODELVIEW);
    GL().LoadIdentity();
}

void TOpenGLRenderer::LoadPixelProjection() const {
    GL().Ortho(0, Width_, Height_, 0, FarthestZ, NearestZ);
}

// Both matrices are pushed: the projection becomes the pixel projection, the
// model view the identity.
void TOpenGLRenderer::PushPixelProjection() const {
    GL().MatrixMode(GL_PROJECTION);
    GL().PushMatrix();
    GL().LoadIdentity();
    LoadPixelProjection();
    GL().MatrixMode(GL_MODELVIEW);
    GL().PushMatrix();
    GL().LoadIdentity();
}

void TOpenGLRenderer::Begin2D() {
    PushPixelProjection();
}

void TOpenGLRenderer::Clear() {
    ApplyPresentationViewport();
    GL().Clear(GL_DEPTH_BUFFER_BIT);
}

void TOpenGLRenderer::Present() {
    GL().Flush();
    Context->SwapBuffers();
}

// Where the picture goes in the window's pixels: the window layer scales it
// to fit with black bars around wherever the window's pixels differ from the
// client size (full screen, a small screen, a resized window), and maps the
// mouse back the same way. The window's size can change under us, so this
// runs every frame.
platform::Rect TOpenGLRenderer::PictureRect() const {
    return platform::GetPresentationViewport(Window_);
}

void TOpenGLRenderer::ApplyPresentationViewport() {
    const platform::Rect picture = PictureRect();
    const platform::Size drawable = Context->DrawableSize();
    const int pictureBottom = drawable.Height - picture.Top - picture.Height; // GL counts rows upwards
    GL().Viewport(picture.Left, pictureBottom, picture.Width, picture.Height);
    OnePixelPerUnit_ = picture.Width == Width_ && picture.Height == Height_;
    ClearLetterboxBars(picture, drawable);
}

std::array<platform::Rect, 4> LetterboxBars(const platform::Rect& picture, platform::Size drawable) {
    const int pictureBottom = drawable.Height - picture.Top - picture.Height;
    const int pictureTop = pictureBottom + picture.Height;
    const int pictureRight = picture.Left + picture.Width;
    auto bar = [](int left, int bottom, int width, int height) {
        return width > 0 && height > 0 ? platform::Rect{left, bottom, width, height} : platform::Rect{};
    };
    return {bar(0, 0, picture.Left, drawable.Height),
            bar(pictureRight, 0, drawable.Width - pictureRight, drawable.Height),
            bar(0, 0, drawable.Width, pictureBottom),
            bar(0, pictureTop, drawable.Width, drawable.Height - pictureTop)};
}

void TOpenGLRenderer::ClearLetterboxBars(const platform::Rect& picture, platform::Size drawable) const {
    const auto bars = LetterboxBars(picture, drawable);
    if (std::all_of(bars.begin(), bars.end(), [](const platform::Rect& bar) { return bar.Width == 0; }))
        return;
    GL().PushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    GL().Enable(GL_SCISSOR_TEST);
    GL().ClearColor(0, 0, 0, 1);
    for (const platform::Rect& bar : bars) {
        if (bar.Width == 0)
            continue;
        GL().Scissor(bar.Left, bar.Top, bar.Width, bar.Height);
        GL().Clear(GL_COLOR_BUFFER_BIT);
    }
    GL().PopAttrib();
}

void TOpenGLRenderer::DrawRect(bool filled, double x1, double y1, double x2, double y2, double z) {
    const auto fx1 = static_cast<GLfloat>(x1), fy1 = static_cast<GLfloat>(y1);
    const auto fx2 = static_cast<GLfloat>(x2), fy2 = static_cast<GLfloat>(y2);
    const auto fz = static_cast<GLfloat>(z);
    GL().Begin(filled ? GL_POLYGON : GL_LINE_LOOP);
    GL().Vertex3f(fx1, fy1, fz);
    GL().Vertex3f(fx1, fy2, fz);
    GL().Vertex3f(fx2, fy2, fz);
    GL().Vertex3f(fx2, fy1, fz);
    GL().End();
}

// The text gets its own pixel projection, independent of the caller's
// matrices, with the depth range of Begin2D so that Z means the same as for
// every other primitive: the debug lines at Z = 10000 lie on the near plane,
// in front of everything else.
double TOpenGLRenderer::TextWidth(std::string_view text) {
    return FontGlyphs.Width(text);
}

// A character no installed face has, or one that cannot be read, stays an
// empty list that does not move the pen; the log says why.
double TOpenGLRenderer::CompileExtraGlyph(char32_t code, GLuint list) {
    try {
        const platform::GlyphSource* source = FontFaces->SourceOf(code);
        const platform::BitmapGlyph glyph = source ? source->Bitmap(code) : platform::BitmapGlyph{};
        CompileGlyph(list, glyph);
        return glyph.Advance;
    } catch (const platform::FontError& error) {
        Log().WriteLine(error.what());
        return 0;
    }
}

void TOpenGLRenderer::DrawText(std::string_view text, double x, double y, double z) {
    const auto lists = FontGlyphs.ListsOf(text); // compiles new characters before anything is drawn
    GL().PushAttrib(GL_TRANSFORM_BIT | GL_VIEWPORT_BIT);
    PushPixelProjection();
    // The raster position is the baseline, one line below the top edge; it
    // takes the current colour.
    GL().RasterPos3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y + BitmapFontHeight),
                     static_cast<GLfloat>(z));
    GL().PopMatrix();
    GL().MatrixMode(GL_PROJECTION);
    GL().PopMatrix();
    GL().PopAttrib();

    GL().PushAttrib(GL_LIST_BIT);
    GL().ListBase(0);
    GL().CallLists(static_cast<GLsizei>(lists.size()), GL_UNSIGNED_INT, lists.data());
    GL().PopAttrib();
}

void EnableVSync() {
    platform::SetSwapInterval(1);
}
