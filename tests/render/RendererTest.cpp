#include "RenderFixture.h"

#include "game/render/LetterRenderUnit.h"
#include "game/render/ModelUnit.h"

#include <SDL.h>

using namespace platform::gl;
using platform::GL;

namespace {
const Rgb White{255, 255, 255};
const Rgb Black{0, 0, 0};
const Rgb Red{255, 0, 0};
const Rgb Green{0, 255, 0};
const Rgb Blue{0, 0, 255};
} // namespace

TEST_F(RenderTest, FilledRectangleLandsWhereThe2DProjectionPutsIt) {
    Fill(1, 1, 1);
    GL().Color3f(1, 0, 0);
    Renderer->DrawRect(true, 10, 20, 50, 60, 0);
    EXPECT_TRUE(Near(PixelAt(30, 40), Red));
    EXPECT_TRUE(Near(PixelAt(10, 20), Red)) << "top-left corner pixel is inside";
    EXPECT_TRUE(Near(PixelAt(49, 59), Red)) << "bottom-right corner pixel is inside";
    EXPECT_TRUE(Near(PixelAt(50, 40), White)) << "right edge is exclusive";
    EXPECT_TRUE(Near(PixelAt(30, 60), White)) << "bottom edge is exclusive";
    EXPECT_TRUE(Near(PixelAt(30, 19), White));

    // The origin is the top-left corner, y grows downwards.
    GL().Color3f(0, 0, 1);
    Renderer->DrawRect(true, 0, 0, 8, 4, 0);
    EXPECT_TRUE(Near(PixelAt(0, 0), Blue));
    EXPECT_TRUE(Near(PixelAt(7, 3), Blue));
    EXPECT_TRUE(Near(PixelAt(0, ClientHeight - 1), White));
}

TEST_F(RenderTest, OutlinedRectangleLeavesItsInsideAlone) {
    Fill(1, 1, 1);
    GL().Color3f(0, 1, 0);
    Renderer->DrawRect(false, 100.5, 100.5, 140.5, 130.5, 0);
    EXPECT_TRUE(Near(PixelAt(120, 115), White));
    EXPECT_TRUE(Near(PixelAt(120, 100), Green)) << "top edge";
    EXPECT_TRUE(Near(PixelAt(100, 115), Green)) << "left edge";
    EXPECT_TRUE(Near(PixelAt(140, 115), Green)) << "right edge";
}

TEST_F(RenderTest, LargerZIsNearerWithTheDepthTest) {
    Fill(1, 1, 1);
    GL().Enable(GL_DEPTH_TEST);
    GL().Color3f(1, 0, 0);
    Renderer->DrawRect(true, 10, 10, 60, 60, 0);
    GL().Color3f(0, 1, 0);
    Renderer->DrawRect(true, 30, 30, 80, 80, -5); // farther: hidden where red is
    GL().Color3f(0, 0, 1);
    Renderer->DrawRect(true, 50, 50, 100, 100, 9999); // nearer than both
    GL().Disable(GL_DEPTH_TEST);
    EXPECT_TRUE(Near(PixelAt(40, 40), Red));
    EXPECT_TRUE(Near(PixelAt(70, 40), Green));
    EXPECT_TRUE(Near(PixelAt(55, 55), Blue));
    EXPECT_TRUE(Near(PixelAt(75, 75), Blue));
}

TEST_F(RenderTest, ClearKeepsTheColourBufferAndEmptiesTheDepthBuffer) {
    Fill(0, 0, 1);
    GL().Enable(GL_DEPTH_TEST);
    GL().Color3f(1, 0, 0);
    Renderer->DrawRect(true, 0, 0, 40, 40, 5000);
    Renderer->Clear();
    EXPECT_TRUE(Near(PixelAt(20, 20), Red)) << "the colour stays";
    GL().Color3f(0, 1, 0);
    Renderer->DrawRect(true, 0, 0, 40, 40, -5000);
    GL().Disable(GL_DEPTH_TEST);
    EXPECT_TRUE(Near(PixelAt(20, 20), Green)) << "the depth was cleared: a far rectangle wins";
}

TEST_F(RenderTest, TextAppearsBelowAndRightOfItsTopLeftCorner) {
    Fill(1, 1, 1);
    GL().Color3f(0, 0, 0);
    Renderer->DrawText("FPS 60(60)", 20, 30, 0);
    const int inLine = CountDiffering(20, 30, 120, 30 + Renderer->FontHeight(), White);
    EXPECT_GT(inLine, 40) << "the glyphs are drawn in the line";
    EXPECT_EQ(CountDiffering(0, 0, ClientWidth, 30, White), 0) << "nothing above the top edge";
    EXPECT_EQ(CountDiffering(0, 0, 20, ClientHeight, White), 0) << "nothing left of it";
    EXPECT_EQ(CountDiffering(0, 30 + Renderer->FontHeight() + 4, ClientWidth, ClientHeight, White), 0)
        << "nothing a line lower (descenders aside)";
    EXPECT_TRUE(Near(PixelAt(0, 0), White));
}

// Japanese in the bitmap font: drawn in the line, at the Latin letters' size.
TEST_F(RenderTest, JapaneseTextIsDrawnInTheLineOfTheLatinText) {
    Fill(1, 1, 1);
    GL().Color3f(0, 0, 0);
    Renderer->DrawText("一時停止中", 20, 30, 0);
    EXPECT_GT(CountDiffering(20, 30, 120, 30 + Renderer->FontHeight(), White), 60) << "the letters are drawn";
    EXPECT_EQ(CountDiffering(0, 0, ClientWidth, 28, White), 0) << "nothing above the line";
    EXPECT_EQ(CountDiffering(0, 30 + Renderer->FontHeight() + 4, ClientWidth, ClientHeight, White), 0)
        << "nothing a line lower";
    const double letter = Renderer->TextWidth("水");
    EXPECT_GT(letter, Renderer->FontHeight() * 0.5);
    EXPECT_LE(letter, Renderer->FontHeight());
    EXPECT_DOUBLE_EQ(Renderer->TextWidth("水M水"), 2 * letter + Renderer->TextWidth("M"));
    EXPECT_DOUBLE_EQ(Renderer->TextWidth("\xC3\xA9"), Renderer->TextWidth("\xE9")) << "UTF-8 é is one letter";
}

TEST_F(RenderTest, TextTakesTheColourSetBeforeTheCall) {
    Fill(1, 1, 1);
    GL().Color3f(1, 0, 0);
    Renderer->DrawText("MMMM", 10, 10, 0);
    GL().Color3f(0, 0, 1); // too late for this text
    int red = 0;
    for (int y = 10; y < 26; ++y)
        for (int x = 10; x < 60; ++x)
            red += PixelAt(x, y) == Red ? 1 : 0;
    EXPECT_GT(red, 20);
    EXPECT_EQ(CountDiffering(10, 10, 60, 26, White), red) << "every drawn pixel is red";
}

TEST_F(RenderTest, DebugTextAtTheNearestDepthShowsInFrontOfEverything) {
    Fill(1, 1, 1);
    GL().Enable(GL_DEPTH_TEST);
    GL().Color3f(0, 1, 0);
    Renderer->DrawRect(true, 0, 0, 200, 60, 9000); // something near, like the cursor at 1000
    GL().Color3f(0, 0, 0);
    Renderer->DrawText("FPS 60(60)", 0, 0, TOpenGLRenderer::NearestZ);
    Renderer->DrawText("ParticleNum 0", 0, 16, TOpenGLRenderer::NearestZ);
    GL().Disable(GL_DEPTH_TEST);
    EXPECT_GT(CountDiffering(0, 0, 100, 16, Green), 40);
    EXPECT_GT(CountDiffering(0, 16, 120, 32, Green), 40);
}

TEST_F(RenderTest, EmptyTextAndCode255DrawNothing) {
    Fill(1, 1, 1);
    GL().Color3f(0, 0, 0);
    Renderer->DrawText("", 10, 10, 0);
    Renderer->DrawText(std::string(5, '\xFF'), 10, 10, 0);
    Renderer->DrawText(std::string(3, '\0'), 10, 40, 0);
    EXPECT_EQ(CountDiffering(0, 0, ClientWidth, ClientHeight, White), 0);
    EXPECT_EQ(GL().GetError(), GL_NO_ERROR);
}

TEST_F(RenderTest, Latin1CodesHaveGlyphs) {
    Fill(1, 1, 1);
    GL().Color3f(0, 0, 0);
    Renderer->DrawText("\xC9\xE9\xFC", 10, 10, 0); // É é ü
    EXPECT_GT(CountDiffering(10, 10, 60, 30, White), 20);
}

TEST_F(RenderTest, SizesAndProjectionStack) {
    EXPECT_EQ(Renderer->Width(), ClientWidth);
    EXPECT_EQ(Renderer->Height(), ClientHeight);
    EXPECT_EQ(Renderer->FontHeight(), 16);
    EXPECT_DOUBLE_EQ(Renderer->NearDistance(), 0.1);
    EXPECT_DOUBLE_EQ(Renderer->FarDistance(), 1000.0);
    GLint depth = 0;
    GL().GetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 2) << "the perspective stays pushed under the 2D projection";
    Renderer->DrawText("x", 0, 0, 0);
    GL().GetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 2) << "text leaves the stacks as it found them";

    Renderer->SetSize(ClientWidth, 0);
    EXPECT_EQ(Renderer->Height(), 1) << "a height of 0 is taken as 1";
    EXPECT_EQ(Renderer->Width(), ClientWidth);
    EXPECT_EQ(GL().GetError(), GL_NO_ERROR);
}

TEST_F(RenderTest, AResizedWindowShowsThePictureScaledToFitBetweenBlackBars) {
    const auto viewportAndProjection = [] {
        std::array<GLint, 4> viewport{};
        std::array<GLfloat, 16> projection{};
        GL().GetIntegerv(GL_VIEWPORT, viewport.data());
        GL().GetFloatv(GL_PROJECTION_MATRIX, projection.data());
        return std::pair{viewport, projection};
    };
    Renderer->Clear();
    const auto before = viewportAndProjection();
    EXPECT_EQ(before.first, (std::array<GLint, 4>{0, 0, ClientWidth, ClientHeight})) << "one to one";
    // The player (or a window manager) makes the window wider and taller; the
    // client size the program draws for stays.
    SDL_SetWindowSize(SDL_GL_GetCurrentWindow(), ClientWidth * 2, ClientHeight + 60);
    Renderer->Present(); // the driver takes the window's new size at a swap
    GL().Viewport(0, 0, ClientWidth * 2, ClientHeight + 60);
    GL().ClearColor(1, 1, 1, 1);
    GL().Clear(GL_COLOR_BUFFER_BIT);
    Renderer->Clear();
    const auto after = viewportAndProjection();
    // 1.25 times as large, the height filled, centred across.
    const int width = ClientWidth * 5 / 4;
    EXPECT_EQ(after.first, (std::array<GLint, 4>{(ClientWidth * 2 - width) / 2, 0, width, ClientHeight + 60}));
    EXPECT_EQ(after.second, before.second) << "the projection stays";
    std::array<std::uint8_t, 4> bar{};
    GL().ReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, bar.data());
    EXPECT_EQ((Rgb{bar[0], bar[1], bar[2]}), Black) << "the bars are cleared black";
}

TEST_F(RenderTest, ModelListsAreBuiltAndReleasedWithTheirOwner) {
    GLuint base = 0;
    {
        TModelManager models;
        models.BuildLists();
        base = models.ListBase();
        ASSERT_NE(base, 0u);
        for (GLuint i = 0; i < TModelManager::ModelCount; ++i)
            EXPECT_EQ(GL().IsList(base + i), GL_TRUE) << i;
        // The square of list 2 draws a black frame around the origin.
        Fill(1, 1, 1);
        GL().PushMatrix();
        GL().Translated(100.5, 100.5, 0);
        GL().CallList(base + TModelManager::mlSquare);
        GL().PopMatrix();
        EXPECT_TRUE(Near(PixelAt(100, 84), Black, 40));
        EXPECT_TRUE(Near(PixelAt(100, 100), White));
    }
    for (GLuint i = 0; i < TModelManager::ModelCount; ++i)
        EXPECT_EQ(GL().IsList(base + i), GL_FALSE) << i;
}

TEST(RendererBinding, AWindowWithoutASurfaceHasNoPixelFormat) {
    const platform::WindowHandle window = CreateTestWindow(true);
    ASSERT_NE(window, nullptr);
    try {
        TOpenGLRenderer renderer(window);
        ADD_FAILURE() << "bound to a message-only window";
    } catch (const EOpenGLRenderer& error) {
        EXPECT_STREQ(error.what(), MsgPixelFormatNotFound);
    }
    platform::DestroyWindow(window);
}

TEST_F(RenderTest, FullScreenShowsThePictureScaledBetweenBlackBars) {
    if (!platform::EnterFullScreen(Window) ||
        !platform::SetFullScreenMode(Window, {ClientWidth, ClientHeight}, 32))
        GTEST_SKIP() << "the display offers no full screen";
    platform::WindowMessage message;
    while (platform::PeekMessage(message)) // let the window take the screen's size
        platform::DispatchMessage(message);
    Renderer->Present(); // the driver takes the window's new size at a swap
    const platform::Rect picture = platform::GetPresentationViewport(Window);
    const platform::Rect window = platform::GetWindowBounds(Window);
    const auto windowPixel = [&](int x, int y) {
        std::array<std::uint8_t, 4> rgba{};
        GL().ReadPixels(x, window.Height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return Rgb{rgba[0], rgba[1], rgba[2]};
    };
    GL().Viewport(0, 0, window.Width, window.Height); // paint the whole window white first
    GL().ClearColor(1, 1, 1, 1);
    GL().Clear(GL_COLOR_BUFFER_BIT);
    if (windowPixel(window.Width - 1, 0) != White)
        GTEST_SKIP() << "the window did not really grow (a bare X server resizes no full-screen window)";

    Renderer->Clear();
    GL().Color3f(1, 0, 0);
    Renderer->DrawRect(true, 0, 0, ClientWidth, ClientHeight, 0); // the whole client picture
    EXPECT_TRUE(Near(windowPixel(picture.Left + 1, picture.Top + 1), Red)) << "the picture's top-left";
    EXPECT_TRUE(Near(windowPixel(picture.Left + picture.Width - 2, picture.Top + picture.Height - 2), Red));
    if (picture.Top > 0) {
        EXPECT_TRUE(Near(windowPixel(window.Width / 2, picture.Top - 1), Black)) << "bar above";
        EXPECT_TRUE(Near(windowPixel(window.Width / 2, picture.Top + picture.Height), Black)) << "bar below";
    }
    if (picture.Left > 0) {
        EXPECT_TRUE(Near(windowPixel(picture.Left - 1, window.Height / 2), Black)) << "bar to the left";
        EXPECT_TRUE(Near(windowPixel(picture.Left + picture.Width, window.Height / 2), Black))
            << "bar to the right";
    }
    platform::LeaveFullScreen(Window);
}

TEST(RendererLifetime, EverythingCanGoAfterTheWindowAsTheGameFreesIt) {
    // The game frees its subsystems after its window is gone; the context
    // then is no longer current, and releasing must still be quiet.
    const platform::WindowHandle window = CreateTestWindow();
    ASSERT_NE(window, nullptr);
    auto renderer = std::make_unique<TOpenGLRenderer>(window);
    renderer->SetSize(ClientWidth, ClientHeight);
    auto models = std::make_unique<TModelManager>();
    models->BuildLists();
    auto letters = std::make_unique<TLetterRender>(*renderer);
    letters->SetFont("Impact", false);
    platform::DestroyWindow(window);
    letters.reset();
    models.reset();
    renderer.reset();

    // The binding stays loaded for the next renderer, which draws as before.
    const platform::WindowHandle next = CreateTestWindow();
    TOpenGLRenderer again(next);
    again.SetSize(ClientWidth, ClientHeight);
    again.Begin2D();
    GL().Color3f(0, 1, 0);
    again.DrawRect(true, 0, 0, 10, 10, 0);
    std::array<std::uint8_t, 4> rgba{};
    GL().ReadPixels(5, ClientHeight - 6, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    EXPECT_EQ(rgba[1], 255);
    platform::DestroyWindow(next);
}
