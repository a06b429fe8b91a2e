#pragma once
// The renderer the game runs with: the fixed OpenGL state of the game, the
// texture table and the outline font it owns, textured quads at one screen
// pixel per picture pixel, and the three blend modes everything is drawn with.
//
// Resting state between drawing operations: texturing off (textures modulated
// by the current colour when on), depth test on, blending off (SetBlendNone).
// Every operation that switches to another mode switches back when done; right
// after construction blending is still on with the normal function until the
// first return to the resting state.
//
// Main thread only, with the renderer's context current.

#include "game/render/DefineUnit.h"
#include "game/core/GameProfilerUnit.h"
#include "game/render/LetterRenderUnit.h"
#include "game/render/OpenGLRendererUnit.h"
#include "game/render/TextureManagerUnit.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* PictureFolder = "images/";
// The family of the outline font; the closest installed face stands in for it.
inline constexpr const char* LetterFontName = "Impact";

// One whole picture centred on (X, Y), in pixels.
struct TSprite {
    TTextureID Texture = tidBlue;
    double X = 0;
    double Y = 0;
};

// One textured quad in the values OpenGL is given: corners on screen and in
// the texture.
struct TTexturedQuad {
    platform::gl::GLfloat Left, Top, Right, Bottom, Z;
    platform::gl::GLfloat S0, T0, S1, T1;
};

enum TBlendMode : std::uint8_t { bmNone, bmNormal, bmAdd };

// How pictures reach the screen; both give the same pixels. fdPlain draws
// every picture whole with linear filtering, and each patch of a picture as
// a quad of its own. fdLean samples a picture that lies on whole pixels at
// its own size with nearest filtering, draws a picture with an alpha channel
// only where it is not fully transparent (its opaque parts without blending),
// draws the patches of a picture together in one vertex array, takes the
// texels' colours as they are at full opacity instead of multiplying them by
// white, and draws an opaque backdrop without the depth test.
enum TFrameDrawing : std::uint8_t { fdPlain, fdLean };

// A colour as OpenGL takes it, each channel 0 to 1.
struct TTextColor {
    float R, G, B;
};

class TGameRenderer : public TOpenGLRenderer {
public:
    // Binds to the application's window, sets the game's fixed OpenGL state,
    // builds the outline font and loads the pictures of `pictureFolder` into
    // their texture slots (timed as pidLoading). A missing picture leaves its
    // slot empty; a damaged one raises the decoder's error.
    TGameRenderer(TApp& app, TGameProfiler& profiler, const std::string& pictureFolder = PictureFolder);
    // The same for a window that belongs to no application (tools, tests).
    TGameRenderer(platform::WindowHandle window, TGameProfiler& profiler,
                  const std::string& pictureFolder = PictureFolder);
    ~TGameRenderer() override;

    TTexture& GetTexture(TTextureID id) const { return TextureManager_->GetTexture(id); }
    TGameTextureManager& TextureManager() const { return *TextureManager_; }
    TLetterRender& LetterRender() const { return *LetterRender_; }

    // Opacity every textured quad is modulated with; 1.0 except while a
    // result picture fades in. Below 1.0 quads are blended normally.
    double Alpha() const { return Alpha_; }
    void SetAlpha(double alpha) { Alpha_ = alpha; }

    // The source rectangle of the picture (in picture pixels) as one quad at
    // one screen pixel per picture pixel, its top-left corner (or its centre
    // when `centered`) at (X, Y), depth Z. A picture with an alpha channel
    // (or Alpha below 1.0) is drawn with normal blending and leaves the
    // resting state behind; one without keeps the caller's blend mode. A slot
    // without a picture draws nothing.
    void DrawTextureRect(TTextureID id, bool centered, double x, double y, double z, double srcLeft,
                         double srcTop, double srcRight, double srcBottom);
    // The whole picture at its own size.
    void DrawTexture(TTextureID id, bool centered, double x, double y, double z);
    // The whole picture at its own size from the top-left corner, as the
    // first layer of a frame: the depth buffer was just cleared, and every
    // depth-tested primitive drawn after it in the frame lies nearer than Z.
    // The pixels of a DrawTexture(id, false, 0, 0, z).
    void DrawBackdrop(TTextureID id, double z);
    // Rectangles of the picture, each where it lies in the picture, at depth
    // Z: the pixels of a DrawTextureRect of each with its top-left corner at
    // its own place in the picture.
    void DrawPatches(TTextureID id, std::span<const TPictureRect> patches, double z);
    // The sprites in order at depth Z, with the pixels of setting the
    // current blend mode again before a DrawTexture(Texture, true, X, Y, Z)
    // of each: pictures with an alpha channel blend normally, the others in
    // the current mode. One vertex array for all, in as few draws as the
    // overlaps allow (OrderSprites). Ends in the resting state.
    void DrawSprites(std::span<const TSprite> sprites, double z);

    TFrameDrawing FrameDrawing = fdLean;

    // A line of text in the outline font, `height` pixels to the em, its
    // baseline's left end at (X, Y), over a dark shadow that keeps it readable
    // on any picture; written upwards when `upwards`. Ends in the resting state.
    void DrawCaption(std::string_view text, double x, double y, double z, double height,
                     const TTextColor& color, bool upwards = false);
    // The width of such a line, pixels.
    double CaptionWidth(std::string_view text, double height) const {
        return LetterRender_->Width(text) * height;
    }

    void SetBlendNormal();
    void SetBlendAdd();
    void SetBlendNone();
    // The mode of the last SetBlend call.
    TBlendMode BlendMode() const { return BlendMode_; }

private:
    // The fixed state, the outline font and the pictures, in this order.
    void Prepare(TGameProfiler& profiler, const std::string& pictureFolder);
    void SetFixedState();
    // Binds a loaded picture and sets the blending and colour of its quads;
    // false (nothing set) for an empty slot.
    bool BeginQuads(const TTexture& texture, TTextureFilter filter);
    void EndQuads(const TTexture& texture);
    // The colour textured quads are modulated with (white at Alpha), and back.
    void BeginTexelColors();
    void EndTexelColors();
    bool ReplacesColors() const;
    bool NeedsNormalBlend(const TTexture& texture) const;
    void ApplyBlend(TBlendMode mode);
    // Whether the quad's texels land one on each pixel, at texel centres.
    bool LandsOnPixels(const TTexturedQuad& quad, double srcLeft, double srcTop, double srcRight,
                       double srcBottom) const;
    // The parts of the source rectangle (whole pixels) that are not fully
    // transparent, the opaque ones without blending, with `quad` showing it.
    void DrawCoveredParts(const TTexture& texture, const TTexturedQuad& quad, const TPictureRect& source);
    void DrawQuad(const TTexturedQuad& quad);
    // The quads of the arrays from vertex `first` on, `count` vertices.
    void DrawArrayQuads(platform::gl::GLint first, platform::gl::GLsizei count);
    // Orders the sprites with a picture so that those of one picture can be
    // drawn together without changing a pixel (below).
    void OrderSprites(std::span<const TSprite> sprites);
    void BuildSpriteArrays(std::span<const TSprite> sprites, double z);

    // Consecutive sprites of one picture in the vertex arrays.
    struct TSpriteRun {
        TTextureID Texture;
        platform::gl::GLint First;   // vertex
        platform::gl::GLsizei Count; // vertices
    };

    std::unique_ptr<TLetterRender> LetterRender_;
    std::unique_ptr<TGameTextureManager> TextureManager_;
    double Alpha_ = 1.0;
    // Right after construction blending is on with the normal function.
    TBlendMode BlendMode_ = bmNormal;
    // The vertex arrays of the batched draws, kept between frames: they grow
    // to the largest frame once and are never given back.
    std::vector<platform::gl::GLfloat> ArrayVertices;
    std::vector<platform::gl::GLfloat> ArrayTexCoords;
    std::vector<TSpriteRun> SpriteRuns;
    std::vector<std::int32_t> SpriteLayers; // per sprite; -1 for one without a picture
    std::vector<std::int32_t> LayerGrid;    // per grid cell and picture: the highest layer there, or -1
    std::vector<std::int32_t> LayerKeyStarts;
    std::vector<std::int32_t> SpriteOrder; // sprite indices in drawing order
};
