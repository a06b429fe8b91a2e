#include "game/render/OpenGLRendererUnit.h"
#include "game/render/TextureManagerUnit.h"
#include "platform/OpenGLBinding.h"

#include <gtest/gtest.h>

namespace {

// A picture whose every pixel tells where it is: red = x, green = y, blue = x ^ y.
platform::Picture Gradient(int width, int height, bool withAlpha) {
    platform::Picture picture;
    picture.Width = width;
    picture.Height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            picture.Rgb.push_back(static_cast<std::uint8_t>(x));
            picture.Rgb.push_back(static_cast<std::uint8_t>(y));
            picture.Rgb.push_back(static_cast<std::uint8_t>(x ^ y));
            if (withAlpha)
                picture.Alpha.push_back(static_cast<std::uint8_t>(255 - (x + y) % 256));
        }
    return picture;
}

} // namespace

TEST(PictureToTexels, PictureLandsTopLeftOfThePaddedTexture) {
    const platform::Picture picture = Gradient(640, 480, false);
    const auto texels = PictureToTexels(picture, NextPowerOfTwo(640), NextPowerOfTwo(480));
    ASSERT_EQ(texels.size(), 1024u * 512u * 3u);
    for (const auto& [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {639, 479}, {123, 321}}) {
        const std::size_t texel = (static_cast<std::size_t>(y) * 1024 + x) * 3;
        EXPECT_EQ(texels[texel + 0], static_cast<std::uint8_t>(x)) << x << "," << y;
        EXPECT_EQ(texels[texel + 1], static_cast<std::uint8_t>(y)) << x << "," << y;
        EXPECT_EQ(texels[texel + 2], static_cast<std::uint8_t>(x ^ y)) << x << "," << y;
    }
    // The padding repeats the last column and row.
    const std::size_t rightOfPicture = (100 * 1024 + 1000) * 3;
    EXPECT_EQ(texels[rightOfPicture], static_cast<std::uint8_t>(639));
    EXPECT_EQ(texels[rightOfPicture + 1], 100);
    const std::size_t belowPicture = (511 * 1024 + 7) * 3;
    EXPECT_EQ(texels[belowPicture], 7);
    EXPECT_EQ(texels[belowPicture + 1], static_cast<std::uint8_t>(479));
}

TEST(PictureToTexels, AlphaIsThePicturesOwn) {
    const platform::Picture picture = Gradient(3, 5, true);
    const auto texels = PictureToTexels(picture, 4, 8);
    ASSERT_EQ(texels.size(), 4u * 8u * 4u);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x) {
            const std::size_t texel = (static_cast<std::size_t>(y) * 4 + x) * 4;
            EXPECT_EQ(texels[texel + 0], x);
            EXPECT_EQ(texels[texel + 1], y);
            EXPECT_EQ(texels[texel + 3], 255 - (x + y)) << x << "," << y;
        }
}

TEST(NextPowerOfTwo, SmallestPowerAtLeastN) {
    EXPECT_EQ(NextPowerOfTwo(0), 1);
    EXPECT_EQ(NextPowerOfTwo(1), 1);
    EXPECT_EQ(NextPowerOfTwo(3), 4);
    EXPECT_EQ(NextPowerOfTwo(768), 1024);
    EXPECT_EQ(NextPowerOfTwo(1024), 1024);
}

TEST(OpenGLBinding, MissingLibrariesOrEntryPointsDoNotBind) {
    EXPECT_FALSE(platform::CanBindOpenGL("libGL-missing.so.1", platform::GLULibraryName));
    EXPECT_FALSE(platform::CanBindOpenGL(platform::OpenGLLibraryName, "libGLU-missing.so.1"));
    EXPECT_FALSE(platform::CanBindOpenGL(platform::OpenGLLibraryName, "libz.so.1"))
        << "a library without the GLU entry points is no GLU";
    EXPECT_TRUE(platform::CanBindOpenGL(platform::OpenGLLibraryName, platform::GLULibraryName));
    EXPECT_TRUE(platform::LoadOpenGLBinding());
    EXPECT_NE(platform::GL().Begin, nullptr);
    EXPECT_NE(platform::GLU().TessEndPolygon, nullptr);
}

TEST(LetterboxBars, SurroundThePictureInRowsCountedUpwards) {
    const platform::Rect picture{0, 32, 1280, 960}; // a 4:3 picture on a 1280 x 1024 screen
    const auto bars = LetterboxBars(picture, {1280, 1024});
    EXPECT_EQ(bars[0].Width, 0) << "no bar on the left";
    EXPECT_EQ(bars[1].Width, 0) << "no bar on the right";
    EXPECT_EQ(bars[2].Left, 0);
    EXPECT_EQ(bars[2].Top, 0) << "the bottom bar starts at row 0";
    EXPECT_EQ(bars[2].Width, 1280);
    EXPECT_EQ(bars[2].Height, 32);
    EXPECT_EQ(bars[3].Top, 992);
    EXPECT_EQ(bars[3].Height, 32);

    const auto wide = LetterboxBars({240, 0, 1440, 1080}, {1920, 1080}); // 4:3 on 16:9
    EXPECT_EQ(wide[0].Width, 240);
    EXPECT_EQ(wide[0].Height, 1080);
    EXPECT_EQ(wide[1].Left, 1680);
    EXPECT_EQ(wide[1].Width, 240);
    EXPECT_EQ(wide[2].Width, 0);
    EXPECT_EQ(wide[3].Width, 0);

    for (const auto& bar : LetterboxBars({0, 0, 1024, 768}, {1024, 768}))
        EXPECT_EQ(bar.Width, 0) << "a window shows the picture whole";
}
