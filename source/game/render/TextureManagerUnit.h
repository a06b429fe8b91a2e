#pragma once
// Textures from picture files, and the table of them indexed by TTextureID.
//
// Main thread only, with the renderer's context current.

#include "game/render/LayerTextures.h"
#include "game/render/PictureCoverageUnit.h"
#include "platform/OpenGLObjects.h"
#include "platform/PictureDecoder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TOpenGLRenderer;

// Tries `path` + ".jpg", then ".png", then ".bmp"; the first that is a
// regular file is appended to `path` and the answer is true. Otherwise `path`
// is unchanged and the answer is false.
bool FindImageFile(std::string& path);

// Why FindImageFile found nothing for `base`: the first of the three files
// that exists, with what is wrong with it ("stages/0001/Back.jpg: not a
// regular file"), or, when none exists, the three names and the system's
// text for a missing file.
std::string WhyNoImageFile(const std::string& base);

// The smallest power of two that is at least n; 0 and 1 both give 1.
int NextPowerOfTwo(int n);

// The texel buffer of a picture for a texture of the given power-of-two size:
// the picture in the top-left corner, row 0 its top row, RGB or (with alpha)
// RGBA. The texels right of and below it repeat the picture's last column
// and row, so that linear filtering does not darken its edges.
std::vector<std::uint8_t> PictureToTexels(const platform::Picture& picture, int textureWidth,
                                          int textureHeight);

// How texels are sampled. Linear filtering blends the four nearest texels,
// which a picture moved by a fraction of a pixel needs; a picture drawn at its
// own size on whole pixels samples texel centres, where nearest filtering
// gives the same colours for less work.
enum TTextureFilter : std::uint8_t { tfLinear, tfNearest };

class TTexture {
public:
    TTexture() = default;
    TTexture(const TTexture&) = delete;
    TTexture& operator=(const TTexture&) = delete;

    // Decodes the picture (by its lower-cased extension: ".png", ".jpg",
    // ".bmp") and uploads it padded to power-of-two sizes. A picture that
    // cannot be decoded or is larger than the largest texture raises an error
    // naming the file; the texture then stays as it was.
    void LoadFromFile(const std::string& fileName);
    // glBindTexture on GL_TEXTURE_2D.
    void Bind() const;
    // Binds the texture and samples it with `filter` from now on.
    void BindWithFilter(TTextureFilter filter) const;
    // The whole picture at its own size, untinted, with its top-left corner at
    // (x, y) and z = 0, filtered linearly; blending is the caller's.
    void DrawWhole(float x, float y) const;

    bool Loaded() const { return Name.Get() != 0; }
    platform::gl::GLuint TextureName() const { return Name.Get(); }
    int TextureWidth() const { return TextureWidth_; }
    int TextureHeight() const { return TextureHeight_; }
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    bool HasAlpha() const { return HasAlpha_; }
    // Where the picture is not fully transparent, found at load.
    const TPictureCoverage& Coverage() const { return Coverage_; }

private:
    platform::TextureObject Name;
    int TextureWidth_ = 0;
    int TextureHeight_ = 0;
    int Width_ = 0;
    int Height_ = 0;
    bool HasAlpha_ = false;
    mutable TTextureFilter Filter = tfLinear; // as the OpenGL texture has it
    TPictureCoverage Coverage_;
};

class TTextureManager {
public:
    explicit TTextureManager(TOpenGLRenderer& owner) : Owner_(owner) {}
    virtual ~TTextureManager() = default;
    TTextureManager(const TTextureManager&) = delete;
    TTextureManager& operator=(const TTextureManager&) = delete;

    // Destroys the textures there are and makes `count` new empty ones.
    void SetCount(int count);
    int Count() const { return static_cast<int>(Textures.size()); }
    // The texture at `index`; an index outside the table raises an error.
    TTexture& GetTexture(int index) const;
    TOpenGLRenderer& Owner() const { return Owner_; }

private:
    std::vector<std::unique_ptr<TTexture>> Textures;
    TOpenGLRenderer& Owner_;
};

// The game's table: one texture per TTextureID. The stage loader fills the
// layer slots through TLayerTextures once the table exists.
class TGameTextureManager : public TTextureManager, public TLayerTextures {
public:
    using TTextureManager::TTextureManager;

    // Makes the table of all identifiers and loads each slot's picture from
    // `folder` + its base name, under the first extension that exists; a
    // picture in `folder` + `languageFolder` (the pictures with words in the
    // player's language) comes first. A missing picture leaves its slot
    // empty; a damaged one raises.
    void LoadStartupPictures(const std::string& folder, const std::string& languageFolder = {});

    bool IsLoaded(TTextureID id) const override { return GetTexture(id).Loaded(); }
    void LoadFromFile(TTextureID id, const std::string& fileName) override {
        GetTexture(id).LoadFromFile(fileName);
    }
};
