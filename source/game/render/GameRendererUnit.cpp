#include "game/render/GameRendererUnit.h"

#include "game/texts/PlayerTextsUnit.h"

#include <algorithm>
#include <cmath>

using namespace platform::gl;
using platform::GL;

namespace {

using TQuad = TTexturedQuad;

TQuad QuadOf(const TTexture& texture, bool centered, double x, double y, double z, double srcLeft,
             double srcTop, double srcRight, double srcBottom) {
    const double dx = srcRight - srcLeft;
    const double dy = srcBottom - srcTop;
    if (centered) {
        x -= dx / 2;
        y -= dy / 2;
    }
    const double textureWidth = texture.TextureWidth();
    const double textureHeight = texture.TextureHeight();
    return {static_cast<GLfloat>(x),
            static_cast<GLfloat>(y),
            static_cast<GLfloat>(x + dx),
            static_cast<GLfloat>(y + dy),
            static_cast<GLfloat>(z),
            static_cast<GLfloat>(srcLeft / textureWidth),
            static_cast<GLfloat>(srcTop / textureHeight),
            static_cast<GLfloat>(srcRight / textureWidth),
            static_cast<GLfloat>(srcBottom / textureHeight)};
}

// The shadow under a caption: a twelfth of the em down and to the right, nearly black.
constexpr double CaptionShadowOffset = 1.0 / 12; // em
constexpr float CaptionShadowOpacity = 0.85f;

// Sprites closer than this may overlap: the cells of the grid that finds them, pixels.
constexpr int LayerGridCell = 32;
// Around a sprite's quad, so that rounding never hides an overlap, pixels.
constexpr double OverlapMargin = 1;

// The grid cell of a coordinate; positions off the grid (and NaN) fall into its edge cells.
int GridIndex(double pixel, int cells) {
    const double cell = std::floor(pixel / LayerGridCell);
    if (!(cell > 0))
        return 0;
    return cell < cells - 1 ? static_cast<int>(cell) : cells - 1;
}

// Counter-clockwise as seen on screen (y runs downwards), so culling keeps it:
// top-left, bottom-left, bottom-right, top-right.
constexpr int QuadVertices = 4;

void AppendQuad(const TQuad& q, std::vector<GLfloat>& vertices, std::vector<GLfloat>& texCoords) {
    vertices.insert(vertices.end(),
                    {q.Left, q.Top, q.Z, q.Left, q.Bottom, q.Z, q.Right, q.Bottom, q.Z, q.Right, q.Top, q.Z});
    texCoords.insert(texCoords.end(), {q.S0, q.T0, q.S0, q.T1, q.S1, q.T1, q.S1, q.T0});
}

// A rectangle of the picture shown at (x, y) on screen.
TQuad QuadOfPatch(const TTexture& texture, const TPictureRect& patch, GLfloat x, GLfloat y, GLfloat z) {
    return QuadOf(texture, false, x, y, z, patch.Left, patch.Top, patch.Right, patch.Bottom);
}

// Empty (Left >= Right or Top >= Bottom) when they do not overlap.
TPictureRect Intersection(const TPictureRect& a, const TPictureRect& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
}

bool IsWhole(double value) {
    return std::floor(value) == value;
}

// The vertex arrays are in use while it lives.
class TClientArrays {
public:
    TClientArrays(const std::vector<GLfloat>& vertices, const std::vector<GLfloat>& texCoords) {
        GL().EnableClientState(GL_VERTEX_ARRAY);
        GL().EnableClientState(GL_TEXTURE_COORD_ARRAY);
        GL().VertexPointer(3, GL_FLOAT, 0, vertices.data());
        GL().TexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
    }
    ~TClientArrays() {
        GL().DisableClientState(GL_TEXTURE_COORD_ARRAY);
        GL().DisableClientState(GL_VERTEX_ARRAY);
    }
    TClientArrays(const TClientArrays&) = delete;
    TClientArrays& operator=(const TClientArrays&) = delete;
};

} // namespace

TGameRenderer::TGameRenderer(TApp& app, TGameProfiler& profiler, const std::string& pictureFolder)
    : TOpenGLRenderer(app) {
    Prepare(profiler, pictureFolder);
}

TGameRenderer::TGameRenderer(platform::WindowHandle window, TGameProfiler& profiler,
                             const std::string& pictureFolder)
    : TOpenGLRenderer(window) {
    Prepare(profiler, pictureFolder);
}

// The textures and the font's lists go while the context still exists.
TGameRenderer::~TGameRenderer() {
    TextureManager_.reset();
    LetterRender_.reset();
}

void TGameRenderer::SetFixedState() {
    GL().Enable(GL_LINE_SMOOTH);
    GL().Enable(GL_DEPTH_TEST);
    GL().Enable(GL_CULL_FACE); // back faces, counter-clockwise front: the defaults
    GL().Disable(GL_TEXTURE_2D);
    GL().Disable(GL_LIGHTING);
    GL().Disable(GL_COLOR_MATERIAL);
    GL().Enable(GL_BLEND);
    GL().BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void TGameRenderer::Prepare(TGameProfiler& profiler, const std::string& pictureFolder) {
    SetFixedState();
    LetterRender_ = std::make_unique<TLetterRender>(*this);
    LetterRender_->SetFont(LetterFontName, false);
    TextureManager_ = std::make_unique<TGameTextureManager>(*this);
    profiler.Start(pidLoading);
    TextureManager_->LoadStartupPictures(pictureFolder, PlayerTexts().Language() == JapaneseLanguage
                                                            ? std::string(JapaneseLanguage) + "/"
                                                            : std::string());
    profiler.Stop(pidLoading);
}

void TGameRenderer::SetBlendNormal() {
    GL().BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    GL().Enable(GL_BLEND);
    GL().Disable(GL_DEPTH_TEST);
    BlendMode_ = bmNormal;
}

void TGameRenderer::SetBlendAdd() {
    GL().BlendFunc(GL_SRC_ALPHA, GL_ONE);
    GL().Enable(GL_BLEND);
    GL().Disable(GL_DEPTH_TEST);
    BlendMode_ = bmAdd;
}

void TGameRenderer::SetBlendNone() {
    GL().Enable(GL_DEPTH_TEST);
    GL().Disable(GL_BLEND);
    BlendMode_ = bmNone;
}

void TGameRenderer::ApplyBlend(TBlendMode mode) {
    switch (mode) {
    case bmNone: SetBlendNone(); break;
    case bmNormal: SetBlendNormal(); break;
    case bmAdd: SetBlendAdd(); break;
    }
}

bool TGameRenderer::NeedsNormalBlend(const TTexture& texture) const {
    return texture.HasAlpha() || Alpha_ < 1.0;
}

// An empty slot has no size to divide by: it draws nothing and leaves the
// state alone.
bool TGameRenderer::BeginQuads(const TTexture& texture, TTextureFilter filter) {
    if (!texture.Loaded())
        return false;
    GL().Enable(GL_TEXTURE_2D);
    texture.BindWithFilter(filter);
    if (NeedsNormalBlend(texture))
        SetBlendNormal();
    BeginTexelColors();
    return true;
}

void TGameRenderer::EndQuads(const TTexture& texture) {
    EndTexelColors();
    if (NeedsNormalBlend(texture))
        SetBlendNone();
    GL().Disable(GL_TEXTURE_2D);
}

// Modulating a texel by white at full opacity gives the texel, to the bit;
// a software rasteriser spends a colour to interpolate and four multiplies
// per pixel on it. The current colour is set all the same, for whatever is
// drawn next.
bool TGameRenderer::ReplacesColors() const {
    return FrameDrawing == fdLean && Alpha_ >= 1.0;
}

void TGameRenderer::BeginTexelColors() {
    GL().Color4f(1, 1, 1, static_cast<GLfloat>(Alpha_));
    if (ReplacesColors())
        GL().TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(GL_REPLACE));
}

void TGameRenderer::EndTexelColors() {
    if (ReplacesColors())
        GL().TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(GL_MODULATE));
}

void TGameRenderer::DrawTextureRect(TTextureID id, bool centered, double x, double y, double z,
                                    double srcLeft, double srcTop, double srcRight, double srcBottom) {
    const TTexture& texture = GetTexture(id);
    if (!texture.Loaded())
        return;
    const TQuad q = QuadOf(texture, centered, x, y, z, srcLeft, srcTop, srcRight, srcBottom);
    const bool exact = LandsOnPixels(q, srcLeft, srcTop, srcRight, srcBottom);
    if (exact && texture.HasAlpha() && Alpha_ >= 1.0) {
        const TPictureRect source{static_cast<int>(srcLeft), static_cast<int>(srcTop),
                                  static_cast<int>(srcRight), static_cast<int>(srcBottom)};
        DrawCoveredParts(texture, q, source);
        return;
    }
    BeginQuads(texture, exact ? tfNearest : tfLinear);
    DrawQuad(q);
    EndQuads(texture);
}

void TGameRenderer::DrawQuad(const TQuad& q) {
    GL().Begin(GL_POLYGON);
    GL().TexCoord2f(q.S0, q.T0);
    GL().Vertex3f(q.Left, q.Top, q.Z);
    GL().TexCoord2f(q.S0, q.T1);
    GL().Vertex3f(q.Left, q.Bottom, q.Z);
    GL().TexCoord2f(q.S1, q.T1);
    GL().Vertex3f(q.Right, q.Bottom, q.Z);
    GL().TexCoord2f(q.S1, q.T0);
    GL().Vertex3f(q.Right, q.Top, q.Z);
    GL().End();
}

// Texel centres fall on pixel centres when the quad's corner and the source
// rectangle are whole pixels and the projection is not scaled.
bool TGameRenderer::LandsOnPixels(const TQuad& quad, double srcLeft, double srcTop, double srcRight,
                                  double srcBottom) const {
    return FrameDrawing == fdLean && OnePixelPerUnit() && IsWhole(quad.Left) && IsWhole(quad.Top) &&
           IsWhole(srcLeft) && IsWhole(srcTop) && IsWhole(srcRight) && IsWhole(srcBottom);
}

// A fully transparent texel leaves its pixel as it is, and a fully opaque one
// replaces it whether blended or not; normal blending never tests or writes
// depth, and neither part does. The state at the end is the state a blended
// quad leaves: the resting one.
void TGameRenderer::DrawCoveredParts(const TTexture& texture, const TQuad& quad, const TPictureRect& source) {
    ArrayVertices.clear();
    ArrayTexCoords.clear();
    // Each part is shown where the quad shows it; the answer is the vertices so far.
    const auto appendParts = [&](const std::vector<TPictureRect>& parts) {
        for (const TPictureRect& part : parts) {
            const TPictureRect shown = Intersection(part, source);
            if (shown.Left >= shown.Right || shown.Top >= shown.Bottom)
                continue;
            const auto x = quad.Left + static_cast<GLfloat>(shown.Left - source.Left);
            const auto y = quad.Top + static_cast<GLfloat>(shown.Top - source.Top);
            AppendQuad(QuadOfPatch(texture, shown, x, y, quad.Z), ArrayVertices, ArrayTexCoords);
        }
        return static_cast<GLsizei>(ArrayVertices.size() / 3);
    };
    const GLsizei blendedEnd = appendParts(texture.Coverage().Blended());
    const GLsizei opaqueEnd = appendParts(texture.Coverage().Opaque());
    BeginQuads(texture, tfNearest); // normal blending: the picture has an alpha channel
    {
        const TClientArrays arrays(ArrayVertices, ArrayTexCoords);
        DrawArrayQuads(0, blendedEnd);
        GL().Disable(GL_BLEND);
        DrawArrayQuads(blendedEnd, opaqueEnd - blendedEnd);
    }
    EndQuads(texture);
}

void TGameRenderer::DrawArrayQuads(GLint first, GLsizei count) {
    if (count > 0)
        GL().DrawArrays(GL_QUADS, first, count);
}

void TGameRenderer::DrawTexture(TTextureID id, bool centered, double x, double y, double z) {
    const TTexture& texture = GetTexture(id);
    DrawTextureRect(id, centered, x, y, z, 0, 0, texture.Width(), texture.Height());
}

// Over a cleared depth buffer an opaque picture passes the depth test
// everywhere, and what is tested later lies nearer than its depth and than
// the cleared one alike: no test turns out otherwise when it writes no depth.
void TGameRenderer::DrawBackdrop(TTextureID id, double z) {
    const bool untested = FrameDrawing == fdLean && BlendMode_ == bmNone;
    if (untested)
        GL().Disable(GL_DEPTH_TEST);
    DrawTexture(id, false, 0, 0, z);
    if (untested)
        GL().Enable(GL_DEPTH_TEST); // a picture with an alpha channel ends in the resting state too
}

void TGameRenderer::DrawPatches(TTextureID id, std::span<const TPictureRect> patches, double z) {
    const TTexture& texture = GetTexture(id);
    if (FrameDrawing == fdPlain || !OnePixelPerUnit()) {
        for (const TPictureRect& p : patches)
            DrawTextureRect(id, false, p.Left, p.Top, z, p.Left, p.Top, p.Right, p.Bottom);
        return;
    }
    if (!texture.Loaded())
        return;
    ArrayVertices.clear();
    ArrayTexCoords.clear();
    for (const TPictureRect& p : patches)
        AppendQuad(QuadOfPatch(texture, p, static_cast<GLfloat>(p.Left), static_cast<GLfloat>(p.Top),
                               static_cast<GLfloat>(z)),
                   ArrayVertices, ArrayTexCoords);
    BeginQuads(texture, tfNearest);
    {
        const TClientArrays arrays(ArrayVertices, ArrayTexCoords);
        DrawArrayQuads(0, static_cast<GLsizei>(patches.size()) * QuadVertices);
    }
    EndQuads(texture);
}

// Blending makes the order of sprites that share a pixel matter, and only of
// those. Each sprite goes into the lowest layer that keeps it after every
// earlier sprite that may overlap it, given that the pictures of one layer
// are drawn in TTextureID order: the layer of an earlier overlapping sprite,
// or one above it when that sprite's picture comes later in a layer. Drawing
// layer by layer, picture by picture, every pixel then sees its sprites in the
// given order, and each (layer, picture) is one draw. Overlaps are found
// through a coarse grid: sprites in a common grid cell count as overlapping.
void TGameRenderer::OrderSprites(std::span<const TSprite> sprites) {
    const int columns = Width() / LayerGridCell + 1;
    const int rows = Height() / LayerGridCell + 1;
    LayerGrid.assign(static_cast<std::size_t>(columns * rows * TextureIDCount), -1);
    SpriteLayers.assign(sprites.size(), -1);
    std::int32_t topLayer = 0;
    for (std::size_t i = 0; i < sprites.size(); ++i) {
        const TSprite& sprite = sprites[i];
        const TTexture& texture = GetTexture(sprite.Texture);
        if (!texture.Loaded())
            continue; // no size to divide by: drawn as nothing
        const double halfWidth = texture.Width() / 2.0 + OverlapMargin;
        const double halfHeight = texture.Height() / 2.0 + OverlapMargin;
        const int left = GridIndex(sprite.X - halfWidth, columns),
                  right = GridIndex(sprite.X + halfWidth, columns);
        const int top = GridIndex(sprite.Y - halfHeight, rows),
                  bottom = GridIndex(sprite.Y + halfHeight, rows);
        std::int32_t layer = 0;
        for (int gy = top; gy <= bottom; ++gy)
            for (int gx = left; gx <= right; ++gx) {
                const std::int32_t* highest =
                    &LayerGrid[static_cast<std::size_t>((gy * columns + gx) * TextureIDCount)];
                for (int id = 0; id < TextureIDCount; ++id)
                    if (highest[id] >= 0)
                        layer = std::max(layer, highest[id] + (id > sprite.Texture ? 1 : 0));
            }
        for (int gy = top; gy <= bottom; ++gy)
            for (int gx = left; gx <= right; ++gx) {
                std::int32_t& highest = LayerGrid[static_cast<std::size_t>(
                    (gy * columns + gx) * TextureIDCount + sprite.Texture)];
                highest = std::max(highest, layer);
            }
        SpriteLayers[i] = layer;
        topLayer = std::max(topLayer, layer);
    }
    // A stable counting sort by (layer, picture).
    LayerKeyStarts.assign(static_cast<std::size_t>((topLayer + 1) * TextureIDCount + 1), 0);
    auto keyOf = [&](std::size_t i) {
        return static_cast<std::size_t>(SpriteLayers[i] * TextureIDCount + sprites[i].Texture);
    };
    std::size_t drawn = 0;
    for (std::size_t i = 0; i < sprites.size(); ++i)
        if (SpriteLayers[i] >= 0) {
            ++LayerKeyStarts[keyOf(i) + 1];
            ++drawn;
        }
    for (std::size_t key = 1; key < LayerKeyStarts.size(); ++key)
        LayerKeyStarts[key] += LayerKeyStarts[key - 1];
    SpriteOrder.resize(drawn);
    for (std::size_t i = 0; i < sprites.size(); ++i)
        if (SpriteLayers[i] >= 0)
            SpriteOrder[static_cast<std::size_t>(LayerKeyStarts[keyOf(i)]++)] = static_cast<std::int32_t>(i);
}

void TGameRenderer::BuildSpriteArrays(std::span<const TSprite> sprites, double z) {
    OrderSprites(sprites);
    ArrayVertices.clear();
    ArrayTexCoords.clear();
    SpriteRuns.clear();
    GLint vertex = 0;
    for (const std::int32_t index : SpriteOrder) {
        const TSprite& sprite = sprites[static_cast<std::size_t>(index)];
        const TTexture& texture = GetTexture(sprite.Texture);
        AppendQuad(QuadOf(texture, true, sprite.X, sprite.Y, z, 0, 0, texture.Width(), texture.Height()),
                   ArrayVertices, ArrayTexCoords);
        if (SpriteRuns.empty() || SpriteRuns.back().Texture != sprite.Texture)
            SpriteRuns.push_back({sprite.Texture, vertex, 0});
        SpriteRuns.back().Count += QuadVertices;
        vertex += QuadVertices;
    }
}

// The state each run sees is the state DrawTextureRect gives each of its
// sprites: the caller's mode, or normal blending for pictures that need it.
void TGameRenderer::DrawSprites(std::span<const TSprite> sprites, double z) {
    BuildSpriteArrays(sprites, z);
    const TBlendMode callerMode = BlendMode_;
    GL().Enable(GL_TEXTURE_2D);
    BeginTexelColors();
    {
        const TClientArrays arrays(ArrayVertices, ArrayTexCoords);
        for (const TSpriteRun& run : SpriteRuns) {
            const TTexture& texture = GetTexture(run.Texture);
            const TBlendMode mode = NeedsNormalBlend(texture) ? bmNormal : callerMode;
            if (mode != BlendMode_)
                ApplyBlend(mode);
            texture.BindWithFilter(tfLinear);
            DrawArrayQuads(run.First, run.Count);
        }
    }
    EndTexelColors();
    GL().Disable(GL_TEXTURE_2D);
    SetBlendNone();
}

void TGameRenderer::DrawCaption(std::string_view text, double x, double y, double z, double height,
                                const TTextColor& color, bool upwards) {
    const double shadow = std::max(1.0, height * CaptionShadowOffset);
    SetBlendNormal();
    GL().Color4f(0, 0, 0, CaptionShadowOpacity);
    LetterRender_->DrawLine(text, x + shadow, y + shadow, z, height, upwards);
    GL().Color4f(color.R, color.G, color.B, 1);
    LetterRender_->DrawLine(text, x, y, z, height, upwards);
    SetBlendNone();
}
