#include "RenderFixture.h"

#include "game/render/LetterRenderUnit.h"
#include "platform/FontRasterizer.h"

#include <algorithm>

using namespace platform::gl;
using platform::GL;

namespace {

const Rgb White{255, 255, 255};
constexpr double Em = 120.0; // pixels per em when a letter is drawn
constexpr double BaselineX = 20, BaselineY = 180;

// Draws the outline list of `code` with its origin at the baseline point, one
// em `Em` pixels high, y turned upwards as the font has it.
void DrawLetter(const TLetterRender& letters, unsigned char code) {
    GL().PushMatrix();
    GL().Translated(BaselineX, BaselineY, 0);
    GL().Scaled(Em, -Em, 1);
    GL().CallList(letters.ListBase() + code);
    GL().PopMatrix();
}

// Where a point of the font's em space lands on the screen.
std::pair<int, int> ScreenOf(platform::OutlinePoint p) {
    return {static_cast<int>(BaselineX + p.X * Em), static_cast<int>(BaselineY - p.Y * Em)};
}

platform::OutlinePoint CentreOf(const std::vector<platform::OutlinePoint>& contour) {
    platform::OutlinePoint sum;
    for (const auto& p : contour)
        sum = {sum.X + p.X, sum.Y + p.Y};
    const auto count = static_cast<double>(contour.size());
    return {sum.X / count, sum.Y / count};
}

class LetterRenderTest : public RenderTest {};

} // namespace

TEST_F(LetterRenderTest, OutlineLettersAreFilledAndKeepTheirHoles) {
    TLetterRender letters(*Renderer);
    letters.SetFont("Impact", false);
    ASSERT_NE(letters.ListBase(), TLetterRender::NoLists);
    EXPECT_FALSE(letters.FontFamily().empty()) << "a missing family is substituted";
    const auto glyphs =
        platform::ExtractOutlineFont(platform::MatchFont("Impact", false), 255, platform::FineFlatness);
    for (const char letter : {'O', 'A', 'B', '8'}) {
        SCOPED_TRACE(std::string(1, letter));
        const auto& contours = glyphs[static_cast<unsigned char>(letter)].Contours;
        Fill(1, 1, 1);
        GL().Color3f(0, 0, 0);
        DrawLetter(letters, static_cast<unsigned char>(letter));
        EXPECT_GT(CountDiffering(0, 0, ClientWidth, ClientHeight, White), 1500) << "the letter is filled";
        // Every contour but the largest is a hole: its middle stays background.
        const auto outer = std::max_element(contours.begin(), contours.end(),
                                            [](auto& l, auto& r) { return l.size() < r.size(); });
        for (auto contour = contours.begin(); contour != contours.end(); ++contour) {
            if (contour == outer)
                continue;
            const auto [x, y] = ScreenOf(CentreOf(*contour));
            EXPECT_TRUE(Near(PixelAt(x, y), White)) << "hole middle at " << x << "," << y;
        }
    }
}

TEST_F(LetterRenderTest, TheStrokeOfAnOIsDrawnWhereTheOutlineSaysAndListsAdvance) {
    TLetterRender letters(*Renderer);
    letters.SetFont("DejaVu Sans", false);
    const auto glyphs =
        platform::ExtractOutlineFont(platform::MatchFont("DejaVu Sans", false), 255, platform::FineFlatness);
    const auto& o = glyphs['O'];
    ASSERT_EQ(o.Contours.size(), 2u);
    double outerLeft = 1, innerLeft = 1, middleY = 0;
    for (const auto& p : o.Contours[0])
        outerLeft = std::min(outerLeft, p.X);
    for (const auto& p : o.Contours[1])
        innerLeft = std::min(innerLeft, p.X);
    if (innerLeft < outerLeft)
        std::swap(innerLeft, outerLeft);
    middleY = CentreOf(o.Contours[1]).Y;
    Fill(1, 1, 1);
    GL().Color3f(0, 0, 1);
    GL().Enable(GL_CULL_FACE); // the game culls back faces: letters turned upright on screen face the viewer
    DrawLetter(letters, 'O');
    GL().Disable(GL_CULL_FACE);
    const auto [x, y] = ScreenOf({(outerLeft + innerLeft) / 2, middleY});
    EXPECT_TRUE(Near(PixelAt(x, y), {0, 0, 255})) << "left stroke at " << x << "," << y;

    // Each list ends by moving the origin by the advance, so lists can be called in a row.
    GL().PushMatrix();
    GL().LoadIdentity();
    GL().CallList(letters.ListBase() + 'O');
    GLfloat modelView[16] = {};
    GL().GetFloatv(GL_MODELVIEW_MATRIX, modelView);
    GL().PopMatrix();
    EXPECT_NEAR(modelView[12], o.Advance, 1e-5);
}

TEST_F(LetterRenderTest, BoldLettersCoverMore) {
    TLetterRender regular(*Renderer), bold(*Renderer);
    regular.SetFont("DejaVu Sans", false);
    bold.SetFont("DejaVu Sans", true);
    Fill(1, 1, 1);
    GL().Color3f(0, 0, 0);
    DrawLetter(regular, 'I');
    const int regularPixels = CountDiffering(0, 0, ClientWidth, ClientHeight, White);
    Fill(1, 1, 1);
    DrawLetter(bold, 'I');
    EXPECT_GT(CountDiffering(0, 0, ClientWidth, ClientHeight, White), regularPixels * 5 / 4);
}

TEST_F(LetterRenderTest, ListsAreReplacedBySetFontAndReleasedWithTheOwner) {
    GLuint base = 0;
    {
        TLetterRender letters(*Renderer);
        EXPECT_EQ(letters.ListBase(), TLetterRender::NoLists) << "no font yet";
        letters.SetFont("DejaVu Sans", false);
        const GLuint first = letters.ListBase();
        letters.SetFont("DejaVu Serif", true);
        base = letters.ListBase();
        // The first range was freed before the new one was taken: it is either gone or reused.
        EXPECT_TRUE(base == first || GL().IsList(first + 'A') == GL_FALSE);
        EXPECT_EQ(GL().IsList(base + 'A'), GL_TRUE);
    }
    EXPECT_EQ(GL().IsList(base + 'A'), GL_FALSE);
    EXPECT_EQ(GL().IsList(base), GL_FALSE);
    TLetterRender unused(*Renderer); // destroying one without a font deletes nothing
}

namespace {

// Japanese letters in a caption: the face for Japanese draws them, each one
// tessellated the first time a line holds it and kept for the next lines.
TEST_F(LetterRenderTest, JapaneseLettersAreBuiltOnceOnFirstUseAndFilled) {
    TLetterRender letters(*Renderer);
    letters.SetFont("Impact", true);
    EXPECT_EQ(letters.ExtraGlyphCount(), 0u);
    const double water = letters.Width("水");
    EXPECT_GT(water, 0.5) << "a Japanese letter is about an em wide";
    EXPECT_LT(water, 1.5);
    EXPECT_EQ(letters.ExtraGlyphCount(), 1u);
    EXPECT_NEAR(letters.Width("A水A"), 2 * letters.Width("A") + water, 1e-9);
    Fill(1, 1, 1);
    GL().Color3f(0, 0, 0);
    letters.DrawLine("水水", BaselineX, BaselineY, 0, Em);
    EXPECT_EQ(letters.ExtraGlyphCount(), 1u) << "the second use takes the list built first";
    const int drawn = CountDiffering(0, 0, ClientWidth, ClientHeight, White);
    EXPECT_GT(drawn, 2000) << "the letters are filled";
    EXPECT_EQ(CountDiffering(0, static_cast<int>(BaselineY) + 40, ClientWidth, ClientHeight, White), 0)
        << "nothing far below the baseline";
    letters.SetFont("DejaVu Sans", false);
    EXPECT_EQ(letters.ExtraGlyphCount(), 0u) << "a new font forgets the letters of the old one";
}

// A UTF-8 line of Latin-1 letters draws the same lists as the Latin-1 bytes did.
TEST_F(LetterRenderTest, ALatinLineCallsTheBlockOfListsCharacterForCharacter) {
    TGlyphLists glyphs;
    std::array<double, TGlyphLists::BlockCount> advances{};
    advances['A'] = 0.5;
    advances[0xE9] = 0.25;
    int compiled = 0;
    glyphs.Reset(1000, advances, [&](char32_t code, GLuint list) {
        ++compiled;
        GL().NewList(list, GL_COMPILE);
        GL().EndList();
        return code == U'水' ? 1.0 : 0.0;
    });
    const auto latin = glyphs.ListsOf("A\xC3\xA9\xE9");
    EXPECT_EQ(std::vector<GLuint>(latin.begin(), latin.end()),
              (std::vector<GLuint>{1000 + 'A', 1000 + 0xE9, 1000 + 0xE9}));
    EXPECT_EQ(compiled, 0) << "no list of its own for a Latin-1 letter";
    EXPECT_DOUBLE_EQ(glyphs.Width("A\xC3\xA9水水"), 0.5 + 0.25 + 2.0);
    const auto japanese = glyphs.ListsOf("水A水");
    ASSERT_EQ(japanese.size(), 3u);
    EXPECT_EQ(japanese[0], japanese[2]);
    EXPECT_EQ(GL().IsList(japanese[0]), GL_TRUE);
    EXPECT_EQ(compiled, 1) << "each character is compiled once";
    glyphs.Clear();
    EXPECT_EQ(GL().IsList(japanese[0]), GL_FALSE) << "forgetting the letters frees their lists";
}

} // namespace
