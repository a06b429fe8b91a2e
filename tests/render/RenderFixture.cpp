#include "RenderFixture.h"

#include <cstdlib>
#include <ostream>
#include <vector>

using namespace platform::gl;
using platform::GL;

namespace {

constexpr const char* TestWindowClass = "VaporelRenderTest";

platform::MessageResult TestWindowProc(platform::WindowHandle window, std::uint32_t message,
                                       std::uintptr_t wParam, std::intptr_t lParam) {
    return platform::DefaultWindowProc(window, message, wParam, lParam);
}

} // namespace

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.R << ", " << c.G << ", " << c.B << ")";
}

testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int slack) {
    if (std::abs(actual.R - expected.R) <= slack && std::abs(actual.G - expected.G) <= slack &&
        std::abs(actual.B - expected.B) <= slack)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "colour " << actual << " is not " << expected;
}

platform::WindowHandle CreateTestWindow(bool messageOnly, int width, int height) {
    static const bool registered =
        platform::RegisterWindowClass({TestWindowClass, 0, &TestWindowProc, false});
    (void)registered;
    platform::CreateWindowParams params;
    params.ClassName = TestWindowClass;
    params.Caption = "render test";
    params.Bounds = {0, 0, width, height};
    params.MessageOnly = messageOnly;
    platform::WindowHandle window = platform::CreateWindow(params);
    if (window != nullptr && !messageOnly)
        platform::ShowWindow(window, true);
    return window;
}

GameScene::GameScene(const std::string& pictureFolder) {
    Window = CreateTestWindow(false, FieldWidth, FieldHeight);
    if (Window == nullptr)
        throw Exception("no window: is there a display?");
    Renderer = std::make_unique<TGameRenderer>(Window, Profiler, pictureFolder);
    Renderer->SetSize(FieldWidth, FieldHeight);
    Renderer->Begin2D();
    Layers = std::make_unique<TStageLayers>(Renderer->TextureManager());
    Drawer = std::make_unique<TVaporelBoxDrawer>(App, *Renderer);
    Box = std::make_unique<TVaporelBox>(Profiler, Layers.get(), Drawer.get());
}

GameScene::~GameScene() {
    Box.reset();
    Renderer.reset();
    platform::DestroyWindow(Window);
}

void RenderTest::SetUp() {
    Window = CreateTestWindow();
    ASSERT_NE(Window, nullptr) << "no window: is there a display?";
    Renderer = std::make_unique<TOpenGLRenderer>(Window);
    Renderer->SetSize(ClientWidth, ClientHeight);
    Renderer->Begin2D();
}

void RenderTest::TearDown() {
    Renderer.reset();
    if (Window != nullptr)
        platform::DestroyWindow(Window);
}

void RenderTest::Fill(float r, float g, float b) {
    GL().ClearColor(r, g, b, 1);
    GL().Clear(GL_COLOR_BUFFER_BIT);
    Renderer->Clear();
}

Rgb RenderTest::PixelAt(int x, int y) const {
    std::array<std::uint8_t, 4> rgba{};
    GL().PixelStorei(GL_PACK_ALIGNMENT, 1);
    GL().ReadPixels(x, ClientHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return {rgba[0], rgba[1], rgba[2]};
}

int RenderTest::CountDiffering(int left, int top, int right, int bottom, const Rgb& background) const {
    const int width = right - left, height = bottom - top;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    GL().PixelStorei(GL_PACK_ALIGNMENT, 1);
    GL().ReadPixels(left, ClientHeight - bottom, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int differing = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        if (!Near({rgba[i], rgba[i + 1], rgba[i + 2]}, background, 8))
            ++differing;
    return differing;
}
