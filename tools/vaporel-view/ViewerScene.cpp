#include "ViewerScene.h"

#include "game/render/DefineUnit.h"

#include <cstring>

using namespace platform::gl;
using platform::GL;

namespace {

constexpr int PictureGap = 16; // pixels between pictures
// The small pictures fit the viewer's row: the particles, the pointer (with
// alpha) and the opaque "Go".
constexpr TTextureID ShownPictures[] = {tidBlue, tidRed, tidCursor, tidGo};

void DrawWholeTexture(const TTexture& texture, float x, float y) {
    if (texture.HasAlpha()) {
        GL().Enable(GL_BLEND);
        GL().BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    texture.DrawWhole(x, y);
    GL().Disable(GL_BLEND);
}

} // namespace

TViewerScene::TViewerScene(TOpenGLRenderer& renderer, const std::string& imageFolder)
    : Renderer(renderer), Textures_(renderer), Letters(renderer) {
    Textures_.LoadStartupPictures(imageFolder);
    Letters.SetFont(WordFont, false);
}

void TViewerScene::Draw() {
    GL().ClearColor(0.15f, 0.2f, 0.3f, 1); // the renderer keeps the colour buffer: the viewer clears it
    GL().Clear(GL_COLOR_BUFFER_BIT);
    Renderer.Clear();

    GL().Color3f(1, 0.5f, 0);
    Renderer.DrawRect(true, FilledRect.Left, FilledRect.Top, FilledRect.Left + FilledRect.Width,
                      FilledRect.Top + FilledRect.Height, 0);
    GL().Color3f(1, 1, 1);
    // Half-pixel coordinates put the one-pixel lines on pixel centres.
    Renderer.DrawRect(false, OutlinedRect.Left + 0.5, OutlinedRect.Top + 0.5,
                      OutlinedRect.Left + OutlinedRect.Width - 0.5,
                      OutlinedRect.Top + OutlinedRect.Height - 0.5, 0);
    DrawPictures();
    GL().Color3f(1, 1, 1);
    Renderer.DrawText(TextLine, FilledRect.Left, TextTop, TOpenGLRenderer::NearestZ);
    DrawWord();
}

void TViewerScene::DrawPictures() const {
    float x = FilledRect.Left;
    for (const TTextureID id : ShownPictures) {
        const TTexture& texture = Textures_.GetTexture(id);
        if (!texture.Loaded())
            continue;
        DrawWholeTexture(texture, x, PicturesTop);
        x += static_cast<float>(texture.Width() + PictureGap);
    }
}

void TViewerScene::DrawWord() const {
    GL().Color3f(1, 0.9f, 0.2f);
    GL().PushMatrix();
    GL().Translated(FilledRect.Left, WordBaseline, 0);
    GL().Scaled(WordEm, -WordEm, 1); // the font's y runs upwards
    for (const char* c = Word; *c != '\0'; ++c)
        GL().CallList(Letters.ListBase() + static_cast<unsigned char>(*c)); // each list advances the origin
    GL().PopMatrix();
}

platform::Picture ReadFrame(int width, int height) {
    platform::Picture frame;
    frame.Width = width;
    frame.Height = height;
    frame.Rgb.resize(static_cast<std::size_t>(width) * height * 3);
    std::vector<std::uint8_t> bottomUp(frame.Rgb.size());
    GL().PixelStorei(GL_PACK_ALIGNMENT, 1);
    GL().ReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::memcpy(&frame.Rgb[static_cast<std::size_t>(y) * rowBytes],
                    &bottomUp[static_cast<std::size_t>(height - 1 - y) * rowBytes], rowBytes);
    return frame;
}
