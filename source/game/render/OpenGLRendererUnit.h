#pragma once
// The OpenGL renderer bound to the application window: viewport, the
// perspective and 2D projections, immediate-mode rectangles, single-line text
// in a bitmap font, and the buffer swap that shows each frame.
//
// Main thread only: the context is current on the thread that built it.

#include "game/core/AppUnit.h"
#include "platform/Exception.h"
#include "platform/OpenGLObjects.h"
#include "platform/WindowSystem.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class OpenGLContext;
}

class EOpenGLRenderer : public Exception {
public:
    using Exception::Exception;
};

// The set-up failures, each with its own message.
inline constexpr const char* MsgOpenGLInitFailed = "OpenGLの初期化に失敗しました";
inline constexpr const char* MsgPixelFormatNotFound = "指定のピクセルフォーマットが見つけられませんでした";
inline constexpr const char* MsgPixelFormatNotSet = "指定のピクセルフォーマットが設定できませんでした";
inline constexpr const char* MsgContextNotCreated = "OpenGLのレンダリングコンテキストが作成できませんでした";
inline constexpr const char* MsgContextNotCurrent =
    "OpenGLのレンダリングコンテキストをアクティブにできませんでした";
inline constexpr const char* MsgBitmapFontFailed = "Bitmapフォントが作成できませんでした";

class TOpenGLRenderer {
public:
    static constexpr int BitmapFontHeight = 16;      // pixels per text line
    static constexpr int BitmapFontListCount = 256;  // one list per byte value
    static constexpr int BitmapFontGlyphCount = 255; // codes 0..254; the last list stays empty
    static constexpr double DefaultNearDistance = 0.1;
    static constexpr double DefaultFarDistance = 1000.0;
    // The 2D projection's depth range: a larger Z is nearer.
    static constexpr double FarthestZ = -10000.0;
    static constexpr double NearestZ = 10000.0;

    // Binds to the application's window and leaves its context current.
    // Raises EOpenGLRenderer with the message of the step that failed. The
    // window layer fixed the pixel format (colour depth and depth buffer) when
    // it made the window; the context takes what the driver gave it.
    explicit TOpenGLRenderer(TApp& app);
    // The same for a window that belongs to no application (tools, tests).
    explicit TOpenGLRenderer(platform::WindowHandle window);
    virtual ~TOpenGLRenderer();
    TOpenGLRenderer(const TOpenGLRenderer&) = delete;
    TOpenGLRenderer& operator=(const TOpenGLRenderer&) = delete;

    // Stores the size the picture is drawn for (a height of 0 is taken as 1) and calls Resize.
    void SetSize(int width, int height);
    // Viewport and the perspective projection.
    virtual void Resize();
    // Pushes the perspective projection and installs the 2D one: one unit per
    // pixel, origin top-left, y downwards, Z from -10000 (far) to 10000 (near).
    void Begin2D();
    // Clears the depth buffer only; the colour buffer keeps the last picture.
    virtual void Clear();
    // Flushes and swaps the buffers.
    void Present();

    // An outlined or filled rectangle through (X1, Y1) and (X2, Y2) at depth Z,
    // with whatever colour, line width, blending and depth test the caller set.
    void DrawRect(bool filled, double x1, double y1, double x2, double y2, double z);
    // One line of text in the bitmap font and the current colour, its top-left
    // corner at (X, Y). Each byte is a Latin-1 character.
    void DrawText(const std::string& text, double x, double y, double z);

    // Pixels the pen moves over a line of text in the bitmap font.
    double TextWidth(std::string_view text) const;

    // Whether one unit of the 2D projection is one pixel of the window, as
    // the last Clear found it: false while the picture is scaled.
    bool OnePixelPerUnit() const { return OnePixelPerUnit_; }

    int FontHeight() const { return BitmapFontHeight; }
    platform::gl::GLuint FontListBase() const { return FontLists.Base(); }
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    double NearDistance() const { return NearDistance_; }
    double FarDistance() const { return FarDistance_; }
    platform::WindowHandle Window() const { return Window_; }
    TApp* App() const { return App_; } // null without an application

private:
    void BuildBitmapFont();
    void ClearColorBuffers();
    void LoadPixelProjection() const;
    void PushPixelProjection() const;
    platform::Rect PictureRect() const;
    void ApplyPresentationViewport();
    void ClearLetterboxBars(const platform::Rect& picture, platform::Size drawable) const;

    TApp* App_ = nullptr;
    platform::WindowHandle Window_;
    double NearDistance_ = DefaultNearDistance;
    double FarDistance_ = DefaultFarDistance;
    int Width_ = 0;
    int Height_ = 1;
    bool OnePixelPerUnit_ = false;
    std::unique_ptr<platform::OpenGLContext> Context;
    platform::DisplayListRange FontLists; // declared after Context: goes first
    std::array<float, BitmapFontListCount> GlyphAdvance{}; // pixels, per character code
};

// The parts of the window around the picture, in GL window coordinates (Top
// holds the bottom row, counted upwards): left, right, bottom, top. Empty
// bars are all zero.
std::array<platform::Rect, 4> LetterboxBars(const platform::Rect& picture, platform::Size drawable);

// One swap per vertical retrace when the driver allows it; otherwise the swap
// interval stays as the driver has it.
void EnableVSync();
