#pragma once
// What the viewer shows, so that rendering can be checked by eye and by tests:
// a filled and an outlined rectangle, the game's small pictures side by side
// (those with alpha blended), a line of bitmap text and a word in the outline font.

#include "game/render/LetterRenderUnit.h"
#include "game/render/OpenGLRendererUnit.h"
#include "game/render/TextureManagerUnit.h"
#include "platform/PictureDecoder.h"

#include <string>

class TViewerScene {
public:
    static constexpr int Width = 640;  // pixels
    static constexpr int Height = 480; // pixels

    // Where things go, in the 2D projection's pixels.
    static constexpr platform::Rect FilledRect{20, 20, 200, 100};
    static constexpr platform::Rect OutlinedRect{240, 20, 200, 100};
    static constexpr int PicturesTop = 150;
    static constexpr int TextTop = 300;
    static constexpr int WordBaseline = 420;
    static constexpr double WordEm = 96; // pixels per em of the outline word
    static constexpr const char* TextLine = "Bitmap text: FPS 60(60) \xC4\xD6\xDC \xE4\xF6\xFC"; // Latin-1
    static constexpr const char* Word = "Vaporel";
    static constexpr const char* WordFont = "Impact";

    // Loads the pictures of `imageFolder` (by the texture identifiers' names)
    // and builds the outline font; the renderer's context must be current.
    TViewerScene(TOpenGLRenderer& renderer, const std::string& imageFolder);

    // Draws the whole frame into the back buffer (Present shows it).
    void Draw();

    const TGameTextureManager& Textures() const { return Textures_; }

private:
    void DrawPictures() const;
    void DrawWord() const;

    TOpenGLRenderer& Renderer;
    TGameTextureManager Textures_;
    TLetterRender Letters;
};

// The back buffer's pixels of the client area, rows top to bottom.
platform::Picture ReadFrame(int width, int height);
