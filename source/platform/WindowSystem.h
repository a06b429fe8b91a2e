#pragma once
// The window message layer: window classes, windows, one thread message queue
// with peek, wait, dispatch and send, and the state the messages leave behind
// (key table, cursor position). Real windows are SDL windows whose events are
// translated into messages; hidden message windows and the headless screen of
// the tests are plain endpoints of the same queue.
//
// Everything here runs on the main thread, except PostMessage, which any
// thread may call.

#include "platform/WindowMessages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct Window; // owned by the window system
using WindowHandle = Window*;

using MessageResult = std::intptr_t;
using WindowProcedure = MessageResult (*)(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam);

struct WindowMessage {
    WindowHandle Window = nullptr;
    std::uint32_t Message = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
};

struct WindowClass {
    std::string Name;
    std::uint32_t Style = 0;
    WindowProcedure Procedure = nullptr;
    bool HasIcon = false; // the program's own icon
};

struct Size {
    int Width = 0;
    int Height = 0;
};

struct Rect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

struct CreateWindowParams {
    std::string ClassName;
    std::string Caption;
    std::uint32_t Style = 0;
    std::uint32_t ExStyle = 0;
    Rect Bounds;
    bool MessageOnly = false; // a hidden window that only receives messages
    void* CreateParam = nullptr;
};

// WM_CREATE carries a pointer to the CreateWindowParams in lParam.
inline const CreateWindowParams& CreateParamsOf(std::intptr_t lParam) {
    return *reinterpret_cast<const CreateWindowParams*>(lParam);
}

// Makes the layer's own state now. An object of static storage duration that
// calls into the layer as it is destroyed calls this first in its constructor:
// statics are destroyed in the reverse order of their making, so the layer
// then outlives it.
void PrepareWindowSystem();

// --- Classes and windows ---------------------------------------------------

// False when the name is registered already or the class has no procedure.
bool RegisterWindowClass(const WindowClass& windowClass);
bool UnregisterWindowClass(const std::string& name);

// Creates the window and sends it WM_CREATE before returning. Null when the
// class is unknown, no display can be opened, or WM_CREATE answers -1. An
// exception thrown by the procedure during WM_CREATE leaves no window behind.
WindowHandle CreateWindow(const CreateWindowParams& params);

// False when there is no display to open windows on (no X11 or Wayland
// server reachable); the headless screen of the tests is always there.
bool DisplayFound();

// Sends WM_DESTROY, then removes the window. False for an unknown handle.
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);

// What happens to messages the procedure does not handle: WM_CLOSE destroys
// the window; everything else answers 0.
MessageResult DefaultWindowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam);

void SetWindowUserData(WindowHandle window, void* data);
void* GetWindowUserData(WindowHandle window); // null before the first set

std::uint32_t GetWindowStyle(WindowHandle window);
std::uint32_t GetWindowExStyle(WindowHandle window);
// WS_POPUP gives a window without decorations; otherwise the window manager frames it.
void SetWindowStyle(WindowHandle window, std::uint32_t style);

void ShowWindow(WindowHandle window, bool show);
// Sends WM_PAINT at once.
void UpdateWindow(WindowHandle window);
// Moves and sizes the client area (a size below 1 is taken as 1). The size
// becomes the client size the program draws for; a window larger than the
// screen's usable area gets the largest size of the same aspect that fits,
// centred there, and shows the client picture scaled.
void SetWindowPos(WindowHandle window, const Rect& bounds);
Rect GetWindowBounds(WindowHandle window);
void SetWindowText(WindowHandle window, const std::string& text);
std::string GetWindowText(WindowHandle window);

// The window rectangle for a wanted client rectangle. The window manager draws
// the frame outside the client area, so the two are the same here.
Rect AdjustWindowRect(const Rect& client, std::uint32_t style, std::uint32_t exStyle);

// Size of the screen the windows live on.
int ScreenWidth();
int ScreenHeight();

// The rectangle, inside an area of `outer` pixels, where a picture of `inner`
// pixels lands when scaled to fit with its aspect kept, centred.
Rect FitCentred(Size outer, Size inner);

// The window manager's frame around a client area, in pixels.
struct FrameSize {
    int Top = 0;
    int Left = 0;
    int Bottom = 0;
    int Right = 0;
};

// Where a window's client rectangle goes so that it and its frame lie within
// the `usable` part of the screen (without panels and docks). One that fits
// stays as asked, moved in where it lies partly outside; one too large becomes
// the largest of its aspect that fits, centred there. An area the frame
// leaves nothing of changes nothing.
Rect FitWithinFrame(const Rect& usable, const FrameSize& frame, const Rect& client);

// --- Messages ----------------------------------------------------------------

// Takes the next message off the queue, first pulling in what the display has
// to say. False when none waits.
bool PeekMessage(WindowMessage& message);
// Sleeps until a message waits (display events or posts from any thread).
void WaitMessage();
// The same, but for at most the given milliseconds.
void WaitMessageFor(std::uint32_t milliseconds);
MessageResult DispatchMessage(const WindowMessage& message);
MessageResult SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam);
// Thread-safe; wakes WaitMessage.
void PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
// Queues WM_QUIT with the exit code in wParam.
void PostQuitMessage(int exitCode);

// The paths of the files dropped on the windows since the last call, in the
// order they came; each WM_DROPFILES stands for those before it.
std::vector<std::string> TakeDroppedFiles();

// --- State left by the messages taken off the queue -------------------------

// Negative while the key (or mouse button, VK_LBUTTON...) is down, as of the
// last message taken from the queue.
std::int16_t GetKeyState(int virtualKey);

// The mouse position in the window's client coordinates, also outside the
// window. Where the picture is scaled (full screen, a fitted or resized
// window) the picture's coordinates are given.
struct Point {
    int X = 0;
    int Y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
Point GetClientCursorPos(WindowHandle window);

// --- Presentation ------------------------------------------------------------

// The client size the program draws for: the size it created or last sized
// the window with, or in full screen the size of the mode it asked for.
Size GetClientSize(WindowHandle window);
// Where the client picture lands in the window's pixels: scaled to fit and
// centred, black bars around, whenever the window's pixels differ from the
// client size (full screen, a screen too small, a window the player resized);
// the whole window at the client size.
Rect GetPresentationViewport(WindowHandle window);

// Full screen on the window's display without changing the display's own
// mode. EnterFullScreen gives the window the whole screen (false when the
// window system refuses); SetFullScreenMode then fixes the client size the
// program draws for, scaled to fit the screen (false for a size or colour
// depth that cannot be shown); LeaveFullScreen gives the window back its
// framed size.
bool EnterFullScreen(WindowHandle window);
bool SetFullScreenMode(WindowHandle window, Size clientSize, int colorBits);
void LeaveFullScreen(WindowHandle window);
bool IsFullScreen(WindowHandle window);

// --- Tests -----------------------------------------------------------------------

// Makes windows plain records on a virtual screen of the given size: no
// display is opened. Only before the first window exists.
void UseHeadlessScreen(int width, int height);
// Sets the cursor position of the headless screen, in screen coordinates.
void SetHeadlessCursorPos(int x, int y);

} // namespace platform
