#include "RenderFixture.h"
#include "TestPictures.h"

#include "ViewerScene.h"
#include "game/render/DefineUnit.h"
#include "platform/PictureWriter.h"

#include <algorithm>

namespace {

class ViewerTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        // The viewer draws for its own size; the test window is smaller, so
        // only what lies inside it is checked.
        Scene = std::make_unique<TViewerScene>(*Renderer, VAPOREL_DATA_IMAGES "/");
    }
    void TearDown() override {
        Scene.reset();
        RenderTest::TearDown();
    }
    std::unique_ptr<TViewerScene> Scene;
};

Rgb FramePixel(const platform::Picture& frame, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * frame.Width + x) * 3;
    return {frame.Rgb[at], frame.Rgb[at + 1], frame.Rgb[at + 2]};
}

} // namespace

TEST_F(ViewerTest, TheGamesPicturesLoadAndTheSceneShowsThem) {
    const auto& textures = Scene->Textures();
    EXPECT_TRUE(textures.GetTexture(tidCursor).HasAlpha());
    EXPECT_TRUE(textures.GetTexture(tidBlue).HasAlpha());
    EXPECT_TRUE(textures.GetTexture(tidRed).HasAlpha());
    EXPECT_FALSE(textures.GetTexture(tidGo).HasAlpha()) << "a JPEG has no alpha";
    const TTexture& title = textures.GetTexture(tidTitle);
    EXPECT_EQ(title.Width(), 1024) << "the title fills the screen";
    EXPECT_EQ(title.Height(), 768);
    EXPECT_EQ(title.TextureHeight(), 1024);
    for (const TTextureID overlay : {tidTitleClick, tidClear, tidGameOver})
        EXPECT_TRUE(textures.GetTexture(overlay).HasAlpha()) << TextureBaseNames[overlay];
    for (const TTextureID stagePicture : {tidBG, tidBlock, tidFront})
        EXPECT_FALSE(textures.GetTexture(stagePicture).Loaded()) << "the stage supplies it";

    Scene->Draw();
    const auto filled = TViewerScene::FilledRect;
    EXPECT_TRUE(Near(PixelAt(filled.Left + 5, filled.Top + 5), {255, 128, 0}, 2));
    EXPECT_TRUE(Near(PixelAt(filled.Left - 5, filled.Top + 5), {38, 51, 77}, 2)) << "the viewer's background";
    // The middle of the blue particle sprite is opaque light blue.
    const int blueLeft = filled.Left;
    EXPECT_GT(PixelAt(blueLeft + 16, TViewerScene::PicturesTop + 16).B, 200);
}

TEST_F(ViewerTest, AScreenshotHoldsTheFrameAsDrawn) {
    Scene->Draw();
    const platform::Picture frame = ReadFrame(ClientWidth, ClientHeight);
    ASSERT_EQ(frame.Rgb.size(), static_cast<std::size_t>(ClientWidth) * ClientHeight * 3);
    for (const auto& [x, y] : {std::pair{0, 0}, {25, 25}, {ClientWidth - 1, ClientHeight - 1}, {30, 160}})
        EXPECT_EQ(FramePixel(frame, x, y), PixelAt(x, y)) << x << "," << y << ": rows run top to bottom";

    TempFolder folder;
    const std::string file = (folder / "shot.png").string();
    platform::SavePng(file, frame);
    const platform::Picture loaded = platform::LoadPicture(file);
    EXPECT_EQ(loaded.Width, ClientWidth);
    EXPECT_EQ(loaded.Height, ClientHeight);
    EXPECT_FALSE(loaded.HasAlpha());
    EXPECT_TRUE(loaded.Rgb == frame.Rgb);
}

TEST(SavePng, AnUnwritableFileIsAnErrorNamingIt) {
    platform::Picture picture;
    picture.Width = 1;
    picture.Height = 1;
    picture.Rgb = {1, 2, 3};
    const std::string file = "/nonexistent-folder/shot.png";
    try {
        platform::SavePng(file, picture);
        ADD_FAILURE() << "written";
    } catch (const platform::PictureError& error) {
        EXPECT_NE(std::string(error.what()).find(file), std::string::npos);
    }
}
