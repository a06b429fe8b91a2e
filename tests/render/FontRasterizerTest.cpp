#include "platform/FontRasterizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace platform;

namespace {

double SignedArea(const std::vector<OutlinePoint>& contour) {
    double area = 0;
    for (std::size_t i = 0, j = contour.size() - 1; i < contour.size(); j = i++)
        area += contour[j].X * contour[i].Y - contour[i].X * contour[j].Y;
    return area / 2;
}

// Winding number of all contours around a point: 0 is outside the filled shape.
int WindingAt(const OutlineGlyph& glyph, OutlinePoint p) {
    int winding = 0;
    for (const auto& contour : glyph.Contours)
        for (std::size_t i = 0, j = contour.size() - 1; i < contour.size(); j = i++) {
            const OutlinePoint a = contour[j], b = contour[i];
            const double side = (b.X - a.X) * (p.Y - a.Y) - (p.X - a.X) * (b.Y - a.Y);
            if (a.Y <= p.Y && b.Y > p.Y && side > 0)
                ++winding;
            else if (a.Y > p.Y && b.Y <= p.Y && side < 0)
                --winding;
        }
    return winding;
}

OutlinePoint Centroid(const std::vector<OutlinePoint>& contour) {
    OutlinePoint sum;
    for (const auto& point : contour)
        sum = {sum.X + point.X, sum.Y + point.Y};
    const auto count = static_cast<double>(contour.size());
    return {sum.X / count, sum.Y / count};
}

class OutlineFont : public testing::Test {
protected:
    static void SetUpTestSuite() {
        Glyphs =
            new std::vector<OutlineGlyph>(ExtractOutlineFont(MatchFont("Impact", false), 255, FineFlatness));
    }
    static void TearDownTestSuite() { delete Glyphs; }
    static const OutlineGlyph& Glyph(char c) { return (*Glyphs)[static_cast<unsigned char>(c)]; }
    static std::vector<OutlineGlyph>* Glyphs;
};
std::vector<OutlineGlyph>* OutlineFont::Glyphs = nullptr;

} // namespace

TEST(MatchFont, SubstitutesAMissingFamilyAndFindsBold) {
    const FontFace missing = MatchFont("Impact", false);
    if (missing.Family != "Impact") {
        EXPECT_NE(missing.File.find("DejaVuSansCondensed-Bold"), std::string::npos)
            << "the heavy condensed stand-in the game prefers: " << missing.File;
    }
    const FontFace regular = MatchFont("DejaVu Sans", false);
    const FontFace bold = MatchFont("DejaVu Sans", true);
    EXPECT_NE(regular.File, bold.File) << "bold asks for the bold face";
    EXPECT_NE(bold.File.find("Bold"), std::string::npos) << bold.File;
}

// Where the common URW fonts are installed, fontconfig ranks their Dingbats face
// best for many missing families, and it maps the letters to pictures.
TEST(MatchFont, NeverTakesASymbolFaceForText) {
    for (const char* family : {"D050000L", "Standard Symbols PS", "Noto Color Emoji", "fantasy"}) {
        const FontFace face = MatchFont(family, false);
        EXPECT_NE(face.Family, "D050000L") << family;
        EXPECT_NE(face.Family, "Standard Symbols PS") << family;
        EXPECT_FALSE(ExtractOutlineFont(face, 'A' + 1, FineFlatness)['A'].Contours.empty()) << family;
    }
}

TEST(BitmapFont, GlyphsFitSixteenPixelLinesAndCoverLatin1) {
    const auto glyphs = RasterizeBitmapFont(MatchFont(DefaultSansFamily, false), 16, 255);
    ASSERT_EQ(glyphs.size(), 255u);
    const BitmapGlyph& a = glyphs['A'];
    EXPECT_GT(a.Width, 4);
    EXPECT_GT(a.Height, 8);
    EXPECT_LE(a.Height, 16);
    EXPECT_GT(a.Advance, 4);
    EXPECT_EQ(a.OriginY, 0) << "A sits on the baseline";
    EXPECT_EQ(a.Bits.size(), static_cast<std::size_t>((a.Width + 7) / 8 * a.Height));
    EXPECT_TRUE(std::any_of(a.Bits.begin(), a.Bits.end(), [](std::uint8_t b) { return b != 0; }));

    EXPECT_GT(glyphs['g'].OriginY, 0) << "g reaches below the baseline";
    EXPECT_GT(glyphs[' '].Advance, 0);
    EXPECT_TRUE(
        std::none_of(glyphs[' '].Bits.begin(), glyphs[' '].Bits.end(), [](std::uint8_t b) { return b; }));
    EXPECT_GT(glyphs[0xC9].Height, glyphs['E'].Height) << "code 0xC9 is the Latin-1 E with acute accent";
    EXPECT_EQ(glyphs[0].Advance, 0) << "a code without a glyph draws nothing and does not move";
    EXPECT_TRUE(glyphs[0].Bits.empty());
}

TEST_F(OutlineFont, LettersWithHolesKeepThemOpen) {
    for (const char letter : {'O', 'A', 'B', '8'}) {
        SCOPED_TRACE(std::string(1, letter));
        const OutlineGlyph& glyph = Glyph(letter);
        const std::size_t holes = (letter == 'B' || letter == '8') ? 2 : 1;
        ASSERT_EQ(glyph.Contours.size(), holes + 1);
        // The largest contour is the outside; the others are holes, wound the other way.
        auto outer = std::max_element(glyph.Contours.begin(), glyph.Contours.end(), [](auto& l, auto& r) {
            return std::abs(SignedArea(l)) < std::abs(SignedArea(r));
        });
        for (auto contour = glyph.Contours.begin(); contour != glyph.Contours.end(); ++contour) {
            if (contour == outer)
                continue;
            EXPECT_LT(SignedArea(*contour) * SignedArea(*outer), 0) << "a hole winds against the outside";
            EXPECT_EQ(WindingAt(glyph, Centroid(*contour)), 0) << "the hole is not filled";
        }
    }
}

TEST_F(OutlineFont, EmUnitsAndFineCurves) {
    const OutlineGlyph& o = Glyph('O');
    double top = 0, bottom = 1;
    for (const auto& contour : o.Contours)
        for (const auto& point : contour) {
            top = std::max(top, point.Y);
            bottom = std::min(bottom, point.Y);
        }
    EXPECT_GT(top, 0.6) << "a capital is most of the em high";
    EXPECT_LT(top, 1.0);
    EXPECT_GT(bottom, -0.05);
    EXPECT_GT(o.Advance, 0.4);
    EXPECT_LT(o.Advance, 1.2);
    EXPECT_GT(o.Contours[0].size(), 40u) << "curves are flattened finely";
    EXPECT_TRUE(Glyph(' ').Contours.empty());
    EXPECT_GT(Glyph(' ').Advance, 0);
}

TEST(OutlineFontBold, SyntheticOrRealBoldIsWider) {
    const auto regular = ExtractOutlineFont(MatchFont("DejaVu Sans", false), 'I' + 1, FineFlatness);
    const auto bold = ExtractOutlineFont(MatchFont("DejaVu Sans", true), 'I' + 1, FineFlatness);
    EXPECT_GT(std::abs(SignedArea(bold['I'].Contours[0])),
              1.2 * std::abs(SignedArea(regular['I'].Contours[0])));
}

TEST(FontErrors, AnUnreadableFileNamesIt) {
    FontFace broken{"/nonexistent/font.ttf", 0, "Nothing", false};
    try {
        RasterizeBitmapFont(broken, 16, 255);
        FAIL() << "no error";
    } catch (const FontError& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent/font.ttf"), std::string::npos);
    }
    EXPECT_THROW(ExtractOutlineFont(broken, 255, FineFlatness), FontError);
}
