#include "RenderFixture.h"
#include "TestPictures.h"

#include "game/render/DefineUnit.h"
#include "game/render/TextureManagerUnit.h"

#include <fstream>
#include <vector>

using namespace platform::gl;
using platform::GL;

namespace {

// Every pixel tells where it is: red = x, green = y, blue = x ^ y (each mod 256).
Rgba WherePixel(int x, int y) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x ^ y),
            255};
}

Rgba FadingRed(int x, int y) {
    return {255, 0, 0, static_cast<std::uint8_t>(x * 40 + y)};
}

std::vector<std::uint8_t> TexelsOf(const TTexture& texture) {
    const int components = texture.HasAlpha() ? 4 : 3;
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(texture.TextureWidth()) *
                                     texture.TextureHeight() * components);
    texture.Bind();
    GL().PixelStorei(GL_PACK_ALIGNMENT, 1);
    GL().GetTexImage(GL_TEXTURE_2D, 0, texture.HasAlpha() ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                     texels.data());
    return texels;
}

class TextureTest : public RenderTest {
protected:
    TempFolder Folder;
};

} // namespace

TEST_F(TextureTest, A640By480PictureFillsTheTopLeftOfA1024By512Texture) {
    WriteBmp(Folder / "big.bmp", 640, 480, WherePixel);
    TTexture texture;
    texture.LoadFromFile((Folder / "big.bmp").string());
    ASSERT_TRUE(texture.Loaded());
    EXPECT_EQ(texture.Width(), 640);
    EXPECT_EQ(texture.Height(), 480);
    EXPECT_EQ(texture.TextureWidth(), 1024);
    EXPECT_EQ(texture.TextureHeight(), 512);
    EXPECT_FALSE(texture.HasAlpha());
    const auto texels = TexelsOf(texture);
    for (const auto& [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {639, 479}, {300, 200}}) {
        const std::size_t at = (static_cast<std::size_t>(y) * 1024 + x) * 3;
        const Rgba expected = WherePixel(x, y);
        EXPECT_EQ(texels[at], expected.R) << x << "," << y;
        EXPECT_EQ(texels[at + 1], expected.G) << x << "," << y;
        EXPECT_EQ(texels[at + 2], expected.B) << x << "," << y;
    }
}

TEST_F(TextureTest, ATransparentPngKeepsItsAlphaAnOpaqueOneHasNone) {
    WritePng(Folder / "alpha.png", 3, 5, true, FadingRed);
    WritePng(Folder / "opaque.png", 3, 5, false, WherePixel);
    TTexture alpha, opaque;
    alpha.LoadFromFile((Folder / "alpha.png").string());
    opaque.LoadFromFile((Folder / "opaque.png").string());
    EXPECT_TRUE(alpha.HasAlpha());
    EXPECT_FALSE(opaque.HasAlpha());
    EXPECT_EQ(alpha.TextureWidth(), 4);
    EXPECT_EQ(alpha.TextureHeight(), 8);
    const auto texels = TexelsOf(alpha);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(texels[(static_cast<std::size_t>(y) * 4 + x) * 4 + 3], FadingRed(x, y).A)
                << x << "," << y;
}

TEST_F(TextureTest, ATexturedQuadShowsThePictureUprightPixelForPixel) {
    WriteBmp(Folder / "small.bmp", 20, 10, WherePixel);
    TTexture texture;
    texture.LoadFromFile((Folder / "small.bmp").string());
    Fill(0, 0, 0);
    texture.DrawWhole(40, 30);
    for (const auto& [x, y] : {std::pair{0, 0}, {19, 0}, {0, 9}, {19, 9}, {7, 4}}) {
        const Rgba expected = WherePixel(x, y);
        EXPECT_TRUE(Near(PixelAt(40 + x, 30 + y), {expected.R, expected.G, expected.B}, 1)) << x << "," << y;
    }
}

TEST_F(TextureTest, AlphaBlendsOverWhatLiesBelow) {
    WritePng(Folder / "half.png", 4, 4, true, [](int, int) { return Rgba{255, 0, 0, 128}; });
    TTexture texture;
    texture.LoadFromFile((Folder / "half.png").string());
    Fill(1, 1, 1);
    GL().Enable(GL_BLEND);
    GL().BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    texture.DrawWhole(10, 10);
    GL().Disable(GL_BLEND);
    EXPECT_TRUE(Near(PixelAt(11, 11), {255, 127, 127}, 2));
}

TEST_F(TextureTest, ReloadingReplacesAndADamagedFileLeavesTheTextureAsItWas) {
    WritePng(Folder / "first.png", 8, 8, false, WherePixel);
    WritePng(Folder / "second.png", 40, 3, true, FadingRed);
    TTexture texture;
    texture.LoadFromFile((Folder / "first.png").string());
    const GLuint first = texture.TextureName();
    texture.LoadFromFile((Folder / "second.png").string());
    EXPECT_EQ(GL().IsTexture(first), GL_FALSE) << "the first texture is deleted";
    EXPECT_EQ(texture.Width(), 40);
    EXPECT_EQ(texture.TextureWidth(), 64);
    EXPECT_TRUE(texture.HasAlpha());

    {
        std::ofstream truncated(Folder / "broken.png", std::ios::binary);
        truncated << "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR";
    }
    const GLuint second = texture.TextureName();
    const std::string broken = (Folder / "broken.png").string();
    try {
        texture.LoadFromFile(broken);
        ADD_FAILURE() << "a damaged file loaded";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(broken), std::string::npos) << error.what();
    }
    EXPECT_TRUE(texture.Loaded());
    EXPECT_EQ(texture.TextureName(), second);
    EXPECT_EQ(GL().IsTexture(second), GL_TRUE);
    EXPECT_EQ(texture.Width(), 40);
}

TEST_F(TextureTest, APictureWiderThanAnyTextureIsRefusedByName) {
    GLint largest = 0;
    GL().GetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    WritePng(Folder / "wide.png", largest + 1, 1, false, WherePixel);
    TTexture texture;
    const std::string wide = (Folder / "wide.png").string();
    try {
        texture.LoadFromFile(wide);
        ADD_FAILURE() << "loaded";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(wide), std::string::npos) << error.what();
    }
    EXPECT_FALSE(texture.Loaded());
}

TEST_F(TextureTest, TexturesGoWithTheirOwners) {
    WritePng(Folder / "a.png", 2, 2, false, WherePixel);
    GLuint name = 0;
    {
        TTexture texture;
        texture.LoadFromFile((Folder / "a.png").string());
        name = texture.TextureName();
        EXPECT_EQ(GL().IsTexture(name), GL_TRUE);
    }
    EXPECT_EQ(GL().IsTexture(name), GL_FALSE);

    TTextureManager manager(*Renderer);
    manager.SetCount(3);
    manager.GetTexture(2).LoadFromFile((Folder / "a.png").string());
    name = manager.GetTexture(2).TextureName();
    manager.SetCount(1);
    EXPECT_EQ(GL().IsTexture(name), GL_FALSE) << "SetCount destroys the old textures";
    EXPECT_FALSE(manager.GetTexture(0).Loaded());
    EXPECT_THROW(manager.GetTexture(1), Exception);
}

TEST_F(TextureTest, StartUpLoadsThePicturesThereAreAndLeavesTheOthersEmpty) {
    WritePng(Folder / "Cursor.png", 16, 16, true, FadingRed);
    WriteBmp(Folder / "Blue.bmp", 32, 32, WherePixel);
    WritePng(Folder / "Blue.png", 8, 8, true, FadingRed);
    TGameTextureManager manager(*Renderer);
    manager.LoadStartupPictures((Folder.path() / "").string());
    ASSERT_EQ(manager.Count(), TextureIDCount);
    EXPECT_TRUE(manager.GetTexture(tidCursor).HasAlpha());
    EXPECT_EQ(manager.GetTexture(tidBlue).Width(), 8) << ".png comes before .bmp";
    for (const TTextureID id : {tidBG, tidBlock, tidFront, tidRed, tidTitle, tidGo})
        EXPECT_FALSE(manager.GetTexture(id).Loaded()) << TextureBaseNames[id];
}

TEST_F(TextureTest, APictureInThePlayersLanguageComesBeforeTheOtherOne) {
    std::filesystem::create_directory(Folder / "ja");
    WritePng(Folder / "Clear.png", 16, 8, true, FadingRed);
    WritePng(Folder / "ja" / "Clear.png", 24, 8, true, FadingRed);
    WritePng(Folder / "GameOver.png", 12, 8, true, FadingRed);
    TGameTextureManager manager(*Renderer);
    manager.LoadStartupPictures((Folder.path() / "").string(), "ja/");
    EXPECT_EQ(manager.GetTexture(tidClear).Width(), 24) << "the picture in the language's folder";
    EXPECT_EQ(manager.GetTexture(tidGameOver).Width(), 12) << "the common one where the language has none";
    manager.LoadStartupPictures((Folder.path() / "").string());
    EXPECT_EQ(manager.GetTexture(tidClear).Width(), 16) << "without a language, the common one";
}

TEST(FindImageFile, TriesJpgThenPngThenBmp) {
    TempFolder folder;
    for (const char* name : {"Blue.png", "Blue.jpg", "Red.bmp", "Red.png"})
        std::ofstream(folder / name) << "x";
    std::string blue = (folder / "Blue").string();
    EXPECT_TRUE(FindImageFile(blue));
    EXPECT_EQ(blue, (folder / "Blue.jpg").string());
    std::string red = (folder / "Red").string();
    EXPECT_TRUE(FindImageFile(red));
    EXPECT_EQ(red, (folder / "Red.png").string());
    std::string go = (folder / "Go").string();
    EXPECT_FALSE(FindImageFile(go));
    EXPECT_EQ(go, (folder / "Go").string()) << "unchanged when nothing is found";
}

TEST_F(TextureTest, StageLayersFillOnlyEmptySlotsThroughTheLayerInterface) {
    WritePng(Folder / "BG.png", 4, 4, false, WherePixel); // a start-up picture
    std::filesystem::create_directory(Folder / "stage");
    const std::filesystem::path stage = Folder / "stage";
    WritePng(stage / "Front.png", 16, 8, true, FadingRed);
    std::ofstream(stage / "Block.png") << "not a picture";
    TGameTextureManager manager(*Renderer);
    manager.LoadStartupPictures((Folder.path() / "").string());
    TLayerTextures& layers = manager;
    EXPECT_TRUE(layers.IsLoaded(tidBG)) << "the start-up picture is there first";
    EXPECT_FALSE(layers.IsLoaded(tidFront));
    layers.LoadFromFile(tidFront, (stage / "Front.png").string());
    EXPECT_TRUE(layers.IsLoaded(tidFront));
    EXPECT_EQ(manager.GetTexture(tidFront).Width(), 16);
    EXPECT_TRUE(manager.GetTexture(tidFront).HasAlpha());

    EXPECT_THROW(layers.LoadFromFile(tidBlock, (stage / "Block.png").string()), Exception);
    EXPECT_FALSE(layers.IsLoaded(tidBlock)) << "a damaged layer leaves its slot empty";
}
