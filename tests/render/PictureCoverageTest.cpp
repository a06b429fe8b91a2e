// The parts of a picture that can change a pixel, against the picture's alpha
// plane read pixel by pixel.

#include "game/render/PictureCoverageUnit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A picture of the given size whose alpha plane `alphaAt` fills.
template <typename AlphaAt> platform::Picture PictureWithAlpha(int width, int height, AlphaAt alphaAt) {
    platform::Picture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.Alpha.push_back(alphaAt(x, y));
    return picture;
}

bool Contains(const TPictureRect& r, int x, int y) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

int CountContaining(const std::vector<TPictureRect>& rects, int x, int y) {
    int count = 0;
    for (const TPictureRect& r : rects)
        count += Contains(r, x, y) ? 1 : 0;
    return count;
}

// Every pixel that is not fully transparent lies in exactly one rectangle;
// an opaque rectangle holds only alpha 255; no rectangle reaches outside the
// picture or covers a whole tile of transparent pixels.
void ExpectCoverageOf(const platform::Picture& picture) {
    const TPictureCoverage coverage(picture);
    constexpr int tile = TPictureCoverage::TileSize;
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x) {
            const std::uint8_t alpha = picture.Alpha[static_cast<std::size_t>(y * picture.Width + x)];
            const int opaque = CountContaining(coverage.Opaque(), x, y);
            const int blended = CountContaining(coverage.Blended(), x, y);
            ASSERT_LE(opaque + blended, 1) << "rectangles overlap at " << x << ", " << y;
            if (alpha != 0) {
                ASSERT_EQ(opaque + blended, 1) << "a visible pixel is left out at " << x << ", " << y;
            }
            if (opaque == 1) {
                ASSERT_EQ(alpha, 255) << "drawn unblended at " << x << ", " << y;
            }
        }
    for (const auto* rects : {&coverage.Opaque(), &coverage.Blended()})
        for (const TPictureRect& r : *rects) {
            EXPECT_TRUE(r.Left >= 0 && r.Top >= 0 && r.Right <= picture.Width && r.Bottom <= picture.Height);
            EXPECT_TRUE(r.Left < r.Right && r.Top < r.Bottom);
            EXPECT_EQ(r.Left % tile, 0);
            EXPECT_EQ(r.Top % tile, 0);
        }
    for (int top = 0; top < picture.Height; top += tile)
        for (int left = 0; left < picture.Width; left += tile) {
            bool clear = true;
            for (int y = top; y < std::min(top + tile, picture.Height); ++y)
                for (int x = left; x < std::min(left + tile, picture.Width); ++x)
                    clear = clear && picture.Alpha[static_cast<std::size_t>(y * picture.Width + x)] == 0;
            if (clear) {
                EXPECT_EQ(CountContaining(coverage.Opaque(), left, top) +
                              CountContaining(coverage.Blended(), left, top),
                          0)
                    << "the clear tile at " << left << ", " << top << " is drawn";
            }
        }
}

TEST(PictureCoverageTest, VisiblePixelsAreCoveredOnceAndOpaqueOnesOnlyWhereAllAreSolid) {
    // Sizes that are no multiple of the tile, with blobs, solid blocks and
    // single stray pixels.
    ExpectCoverageOf(PictureWithAlpha(100, 70, [](int x, int y) -> std::uint8_t {
        if (x >= 16 && x < 64 && y >= 16 && y < 48)
            return 255; // a solid block of six tiles
        if ((x - 80) * (x - 80) + (y - 60) * (y - 60) < 60)
            return static_cast<std::uint8_t>(40 + x);
        return x == 5 && y == 66 ? 1 : 0;
    }));
    ExpectCoverageOf(PictureWithAlpha(37, 21, [](int x, int y) -> std::uint8_t {
        return static_cast<std::uint8_t>((x * 7 + y * 13) % 5 == 0 ? 255 * ((x + y) % 2) : 0);
    }));
}

TEST(PictureCoverageTest, NeighbouringTilesOfOneKindBecomeOneRectangle) {
    const platform::Picture picture = PictureWithAlpha(64, 64, [](int x, int y) -> std::uint8_t {
        if (y < 32)
            return x < 48 ? 255 : 0; // three opaque tiles wide, two high
        return x >= 16 ? 128 : 0;    // three blended tiles wide, two high
    });
    const TPictureCoverage coverage(picture);
    EXPECT_EQ(coverage.Opaque(), (std::vector<TPictureRect>{{0, 0, 48, 32}}));
    EXPECT_EQ(coverage.Blended(), (std::vector<TPictureRect>{{16, 32, 64, 64}}));
}

TEST(PictureCoverageTest, APictureWithoutAlphaIsOneOpaqueRectangle) {
    platform::Picture picture;
    picture.Width = 30;
    picture.Height = 20;
    picture.Rgb.assign(30 * 20 * 3, 7);
    const TPictureCoverage coverage(picture);
    EXPECT_EQ(coverage.Opaque(), (std::vector<TPictureRect>{{0, 0, 30, 20}}));
    EXPECT_TRUE(coverage.Blended().empty());
    EXPECT_TRUE(TPictureCoverage(platform::Picture{}).Opaque().empty()) << "an empty picture shows nothing";
}

} // namespace
