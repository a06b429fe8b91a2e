#include "platform/WindowSystem.h"

#include "platform/Cursor.h"
#include "platform/WindowIcon.h"
#include "platform/WindowSystemSdl.h"
#include "platform/WindowSystemState.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace platform {

namespace {

constexpr int ColorChannelBits = 8;
constexpr int DepthBufferBits = 24; // what every current driver offers
// The X11 class of the program's windows, which the desktop entry names as its
// StartupWMClass so that desktops tie the windows to the entry and its icon.
// SDL would take the program file's name, which a renamed copy changes.
constexpr const char* DesktopWindowClass = "vaporel";

Window* Find(WindowHandle handle) {
    auto& windows = State().Windows;
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [handle](const auto& window) { return window.get() == handle; });
    return found == windows.end() ? nullptr : found->get();
}

// A real desktop display only: SDL's off-screen and dummy drivers would let
// the game run invisibly when there is no display at all. SDL_VIDEODRIVER
// still chooses, for whoever sets it.
bool InitDesktopVideo() {
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", DesktopWindowClass, 1);
    if (SDL_getenv("SDL_VIDEODRIVER"))
        return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    for (const char* driver : {"x11", "wayland"}) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
            return true;
    }
    return false;
}

// Opens the display on first use. The GL attributes must be set before any
// window exists: the X11 visual of a window is chosen when it is created.
bool EnsureVideo() {
    WindowSystemState& state = State();
    if (state.VideoUp)
        return true;
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // While a button is held the motion outside the window arrives at its real
    // place instead of clamped to the edge, so that it can be told apart from
    // a motion on the edge and kept from the window.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1"); // until an active window holds it off
    if (!InitDesktopVideo())
        return false;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, ColorChannelBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, ColorChannelBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, ColorChannelBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, DepthBufferBits);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    state.WakeEventType = SDL_RegisterEvents(1);
    SDL_ShowCursor(CursorVisible() ? SDL_ENABLE : SDL_DISABLE);
    state.VideoUp = true;
    return true;
}

// The part of the screen windows may take (without panels and docks).
Rect UsableScreenArea() {
    SDL_Rect usable;
    if (State().Headless || !EnsureVideo() || SDL_GetDisplayUsableBounds(0, &usable) != 0)
        return {0, 0, ScreenWidth(), ScreenHeight()};
    return {usable.x, usable.y, usable.w, usable.h};
}

Rect FittedToScreen(const Rect& client) {
    return FitWithinFrame(UsableScreenArea(), {}, client);
}

// The frame around the window's client area as far as it is known: nothing
// before the window manager has told it, or without a window manager.
FrameSize KnownFrame(SDL_Window* sdl) {
    FrameSize frame;
    if (SDL_GetWindowBordersSize(sdl, &frame.Top, &frame.Left, &frame.Bottom, &frame.Right) != 0)
        return {};
    return frame;
}

// Fits a window's client rectangle so that its whole frame lies within the
// usable area, and moves the window there.
void PlaceWithinFrame(Window& window, const FrameSize& frame) {
    window.Bounds = FitWithinFrame(UsableScreenArea(), frame, window.Bounds);
    SDL_SetWindowSize(window.Sdl, window.Bounds.Width, window.Bounds.Height);
    SDL_SetWindowPosition(window.Sdl, window.Bounds.Left, window.Bounds.Top);
}

SDL_Window* CreateSdlWindow(const CreateWindowParams& params, const Rect& bounds) {
    std::uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    flags |= (params.Style & WS_POPUP) ? SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE;
    return SDL_CreateWindow(params.Caption.c_str(), bounds.Left, bounds.Top, bounds.Width, bounds.Height,
                            flags);
}

void RemoveQueuedMessagesOf(WindowHandle window) {
    WindowSystemState& state = State();
    std::lock_guard lock(state.QueueMutex);
    std::erase_if(state.Queue, [window](const WindowMessage& m) { return m.Window == window; });
}

// Removes the window record (and its SDL window) when it goes out of scope,
// whatever way the destruction or creation ends.
struct WindowRemover {
    WindowHandle Handle;
    ~WindowRemover() {
        auto& windows = State().Windows;
        const auto found = std::find_if(windows.begin(), windows.end(),
                                        [this](const auto& window) { return window.get() == Handle; });
        if (found == windows.end())
            return;
        if ((*found)->Sdl)
            SDL_DestroyWindow((*found)->Sdl);
        windows.erase(found);
        RemoveQueuedMessagesOf(Handle);
    }
};

void SetKeyDown(int virtualKey, bool down) {
    if (virtualKey > 0 && virtualKey < 256)
        State().KeysDown[static_cast<std::size_t>(virtualKey)] = down;
}

void SetButtonsDown(std::uintptr_t mouseFlags) {
    SetKeyDown(VK_LBUTTON, (mouseFlags & MK_LBUTTON) != 0);
    SetKeyDown(VK_RBUTTON, (mouseFlags & MK_RBUTTON) != 0);
    SetKeyDown(VK_MBUTTON, (mouseFlags & MK_MBUTTON) != 0);
}

// The key table follows the messages as the program takes them off the queue.
// A button released outside the window sends no message; the next move over
// the window tells the buttons as they are.
void TrackInputState(const WindowMessage& message) {
    const int key = static_cast<int>(message.WParam & 0xFFFF);
    switch (message.Message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: SetKeyDown(key, true); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: SetKeyDown(key, false); break;
    case WM_LBUTTONDOWN: SetKeyDown(VK_LBUTTON, true); break;
    case WM_LBUTTONUP: SetKeyDown(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: SetKeyDown(VK_RBUTTON, true); break;
    case WM_RBUTTONUP: SetKeyDown(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: SetKeyDown(VK_MBUTTON, true); break;
    case WM_MBUTTONUP: SetKeyDown(VK_MBUTTON, false); break;
    case WM_MOUSEMOVE: SetButtonsDown(message.WParam); break;
    case WM_ACTIVATEAPP:
        // Keys released while another program had the focus never reach us.
        if (message.WParam == 0)
            State().KeysDown.fill(false);
        break;
    case WM_PAINT:
        if (Window* window = Find(message.Window))
            window->PaintQueued = false;
        break;
    default: break;
    }
}

} // namespace

WindowSystemState& State() {
    static WindowSystemState state;
    return state;
}

void PrepareWindowSystem() {
    State();
}

void Enqueue(const WindowMessage& message) {
    WindowSystemState& state = State();
    {
        std::lock_guard lock(state.QueueMutex);
        state.Queue.push_back(message);
    }
    state.QueueSignal.notify_one();
}

WindowHandle WindowFromSdl(std::uint32_t sdlWindowId) {
    SDL_Window* sdl = SDL_GetWindowFromID(sdlWindowId);
    for (const auto& window : State().Windows)
        if (sdl && window->Sdl == sdl)
            return window.get();
    return nullptr;
}

Point WindowToClient(WindowHandle handle, Point windowPixel) {
    const Window* window = Find(handle);
    if (!window)
        return windowPixel;
    const Rect viewport = GetPresentationViewport(handle);
    const Size client = window->ClientSize;
    if (viewport.Width <= 0 || viewport.Height <= 0)
        return windowPixel;
    const auto scale = [](int pixel, int origin, int from, int to) {
        return static_cast<int>(std::floor(static_cast<double>(pixel - origin) * to / from));
    };
    return {scale(windowPixel.X, viewport.Left, viewport.Width, client.Width),
            scale(windowPixel.Y, viewport.Top, viewport.Height, client.Height)};
}

SDL_Window* SdlWindowOf(WindowHandle handle) {
    const Window* window = Find(handle);
    return window ? window->Sdl : nullptr;
}

// --- Classes and windows -------------------------------------------------------

bool RegisterWindowClass(const WindowClass& windowClass) {
    if (!windowClass.Procedure || windowClass.Name.empty())
        return false;
    return State().Classes.emplace(windowClass.Name, windowClass).second;
}

bool UnregisterWindowClass(const std::string& name) {
    return State().Classes.erase(name) > 0;
}

WindowHandle CreateWindow(const CreateWindowParams& params) {
    WindowSystemState& state = State();
    const auto found = state.Classes.find(params.ClassName);
    if (found == state.Classes.end())
        return nullptr;
    const WindowClass& windowClass = found->second;

    auto window = std::make_unique<Window>();
    window->ClassName = params.ClassName;
    window->Procedure = windowClass.Procedure;
    window->Style = params.Style;
    window->ExStyle = params.ExStyle;
    window->Caption = params.Caption;
    window->ClientSize = {std::max(params.Bounds.Width, 1), std::max(params.Bounds.Height, 1)};
    window->MessageOnly = params.MessageOnly;
    window->Bounds = params.MessageOnly ? params.Bounds : FittedToScreen(params.Bounds);
    if (!params.MessageOnly && !state.Headless) {
        if (!EnsureVideo())
            return nullptr;
        window->Sdl = CreateSdlWindow(params, window->Bounds);
        if (!window->Sdl)
            return nullptr;
        if (windowClass.HasIcon)
            SetProgramIcon(window->Sdl);
    }
    const WindowHandle handle = window.get();
    state.Windows.push_back(std::move(window));

    WindowRemover removeOnFailure{handle};
    const auto paramsAddress = reinterpret_cast<std::intptr_t>(&params);
    if (SendMessage(handle, WM_CREATE, 0, paramsAddress) == -1)
        return nullptr;
    removeOnFailure.Handle = nullptr;
    return handle;
}

void PlaceFramesOnScreen() {
    for (const std::unique_ptr<Window>& window : State().Windows) {
        if (!window->Sdl || window->FramePlaced || window->FullScreen)
            continue;
        if (const FrameSize frame = KnownFrame(window->Sdl);
            frame.Top || frame.Left || frame.Bottom || frame.Right) {
            PlaceWithinFrame(*window, frame);
            window->FramePlaced = true;
        }
    }
}

bool DisplayFound() {
    return State().Headless || EnsureVideo();
}

bool DestroyWindow(WindowHandle handle) {
    if (!Find(handle))
        return false;
    // The record goes even when the procedure throws from WM_DESTROY.
    WindowRemover remover{handle};
    SendMessage(handle, WM_DESTROY, 0, 0);
    return true;
}

bool IsWindow(WindowHandle handle) {
    return Find(handle) != nullptr;
}

MessageResult DefaultWindowProc(WindowHandle window, std::uint32_t message, std::uintptr_t, std::intptr_t) {
    if (message == WM_CLOSE)
        DestroyWindow(window);
    return 0;
}

void SetWindowUserData(WindowHandle handle, void* data) {
    if (Window* window = Find(handle))
        window->UserData = data;
}

void* GetWindowUserData(WindowHandle handle) {
    const Window* window = Find(handle);
    return window ? window->UserData : nullptr;
}

std::uint32_t GetWindowStyle(WindowHandle handle) {
    const Window* window = Find(handle);
    return window ? window->Style : 0;
}

std::uint32_t GetWindowExStyle(WindowHandle handle) {
    const Window* window = Find(handle);
    return window ? window->ExStyle : 0;
}

void SetWindowStyle(WindowHandle handle, std::uint32_t style) {
    Window* window = Find(handle);
    if (!window)
        return;
    window->Style = style;
    if (window->Sdl)
        SDL_SetWindowBordered(window->Sdl, (style & WS_POPUP) ? SDL_FALSE : SDL_TRUE);
}

void ShowWindow(WindowHandle handle, bool show) {
    const Window* window = Find(handle);
    if (!window || !window->Sdl)
        return;
    if (show) {
        SDL_ShowWindow(window->Sdl);
        SDL_RaiseWindow(window->Sdl);
    } else {
        SDL_HideWindow(window->Sdl);
    }
}

void UpdateWindow(WindowHandle handle) {
    if (Find(handle))
        SendMessage(handle, WM_PAINT, 0, 0);
}

void SetWindowPos(WindowHandle handle, const Rect& bounds) {
    Window* window = Find(handle);
    if (!window)
        return;
    window->ClientSize = {std::max(bounds.Width, 1), std::max(bounds.Height, 1)};
    window->Bounds = FittedToScreen(bounds);
    if (window->Sdl)
        PlaceWithinFrame(*window, KnownFrame(window->Sdl));
}

Rect GetWindowBounds(WindowHandle handle) {
    const Window* window = Find(handle);
    if (!window)
        return {};
    if (!window->Sdl)
        return window->Bounds;
    Rect bounds;
    SDL_GetWindowPosition(window->Sdl, &bounds.Left, &bounds.Top);
    SDL_GetWindowSize(window->Sdl, &bounds.Width, &bounds.Height);
    return bounds;
}

void SetWindowText(WindowHandle handle, const std::string& text) {
    Window* window = Find(handle);
    if (!window)
        return;
    window->Caption = text;
    if (window->Sdl)
        SDL_SetWindowTitle(window->Sdl, text.c_str());
}

std::string GetWindowText(WindowHandle handle) {
    const Window* window = Find(handle);
    return window ? window->Caption : std::string();
}

Rect AdjustWindowRect(const Rect& client, std::uint32_t, std::uint32_t) {
    return client;
}

int ScreenWidth() {
    if (State().Headless || !EnsureVideo())
        return State().HeadlessScreen.Width;
    SDL_DisplayMode mode;
    return SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.w : 0;
}

int ScreenHeight() {
    if (State().Headless || !EnsureVideo())
        return State().HeadlessScreen.Height;
    SDL_DisplayMode mode;
    return SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.h : 0;
}

Rect FitWithinFrame(const Rect& usable, const FrameSize& frame, const Rect& client) {
    const Rect area{usable.Left + frame.Left, usable.Top + frame.Top, usable.Width - frame.Left - frame.Right,
                    usable.Height - frame.Top - frame.Bottom};
    const Rect asked{client.Left, client.Top, std::max(client.Width, 1), std::max(client.Height, 1)};
    if (area.Width <= 0 || area.Height <= 0)
        return asked;
    if (asked.Width <= area.Width && asked.Height <= area.Height)
        return {std::clamp(asked.Left, area.Left, area.Left + area.Width - asked.Width),
                std::clamp(asked.Top, area.Top, area.Top + area.Height - asked.Height), asked.Width,
                asked.Height};
    const Rect fitted = FitCentred({area.Width, area.Height}, {asked.Width, asked.Height});
    return {area.Left + fitted.Left, area.Top + fitted.Top, fitted.Width, fitted.Height};
}

Rect FitCentred(Size outer, Size inner) {
    if (inner.Width <= 0 || inner.Height <= 0)
        return {0, 0, outer.Width, outer.Height};
    const double scale = std::min(static_cast<double>(outer.Width) / inner.Width,
                                  static_cast<double>(outer.Height) / inner.Height);
    const int width = static_cast<int>(std::lround(inner.Width * scale));
    const int height = static_cast<int>(std::lround(inner.Height * scale));
    return {(outer.Width - width) / 2, (outer.Height - height) / 2, width, height};
}

// --- Messages --------------------------------------------------------------------

bool PeekMessage(WindowMessage& message) {
    WindowSystemState& state = State();
    if (state.VideoUp)
        PumpSdlEvents();
    {
        std::lock_guard lock(state.QueueMutex);
        if (state.Queue.empty())
            return false;
        message = state.Queue.front();
        state.Queue.pop_front();
    }
    TrackInputState(message);
    return true;
}

namespace {

constexpr int NoTimeLimit = -1;

// Blocks until a message waits, or at most `timeoutMs` unless NoTimeLimit.
void AwaitMessage(int timeoutMs) {
    WindowSystemState& state = State();
    {
        std::unique_lock lock(state.QueueMutex);
        if (!state.Queue.empty())
            return;
        if (!state.VideoUp) {
            const auto waits = [&state] { return !state.Queue.empty(); };
            if (timeoutMs == NoTimeLimit)
                state.QueueSignal.wait(lock, waits);
            else
                state.QueueSignal.wait_for(lock, std::chrono::milliseconds(timeoutMs), waits);
            return;
        }
    }
    WaitForSdlEvent(timeoutMs);
}

} // namespace

void WaitMessage() {
    AwaitMessage(NoTimeLimit);
}

void WaitMessageFor(std::uint32_t milliseconds) {
    AwaitMessage(static_cast<int>(std::min<std::uint32_t>(milliseconds, std::numeric_limits<int>::max())));
}

MessageResult DispatchMessage(const WindowMessage& message) {
    if (!Find(message.Window))
        return 0;
    return SendMessage(message.Window, message.Message, message.WParam, message.LParam);
}

MessageResult SendMessage(WindowHandle handle, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
    const Window* window = Find(handle);
    if (!window)
        return 0;
    return window->Procedure(handle, message, wParam, lParam);
}

void PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    Enqueue({window, message, wParam, lParam});
    if (State().VideoUp)
        WakeSdlWait();
}

void PostQuitMessage(int exitCode) {
    PostMessage(nullptr, WM_QUIT, static_cast<std::uintptr_t>(exitCode), 0);
}

std::int16_t GetKeyState(int virtualKey) {
    if (virtualKey <= 0 || virtualKey >= 256)
        return 0;
    return State().KeysDown[static_cast<std::size_t>(virtualKey)] ? std::int16_t(-32768) : std::int16_t(0);
}

Point GetClientCursorPos(WindowHandle handle) {
    const Window* window = Find(handle);
    if (!window)
        return {};
    if (!window->Sdl) {
        const Point cursor = State().HeadlessCursor;
        return WindowToClient(handle, {cursor.X - window->Bounds.Left, cursor.Y - window->Bounds.Top});
    }
    // Over the window, the position its own motion events left: the global
    // state can lag behind them (X11 refreshes it only on raw input events,
    // which a pointer moved after a drag or by a test tool may not send).
    if (SDL_GetMouseFocus() == window->Sdl) {
        Point local;
        SDL_GetMouseState(&local.X, &local.Y);
        return WindowToClient(handle, local);
    }
    Point global;
    Point origin;
    SDL_GetGlobalMouseState(&global.X, &global.Y);
    SDL_GetWindowPosition(window->Sdl, &origin.X, &origin.Y);
    return WindowToClient(handle, {global.X - origin.X, global.Y - origin.Y});
}

// --- Presentation ---------------------------------------------------------------

Size GetClientSize(WindowHandle handle) {
    const Window* window = Find(handle);
    return window ? window->ClientSize : Size{};
}

Rect GetPresentationViewport(WindowHandle handle) {
    const Window* window = Find(handle);
    if (!window)
        return {};
    const Rect bounds = GetWindowBounds(handle);
    return FitCentred({bounds.Width, bounds.Height}, window->ClientSize);
}

bool EnterFullScreen(WindowHandle handle) {
    Window* window = Find(handle);
    if (!window || window->MessageOnly)
        return false;
    if (window->Sdl && SDL_SetWindowFullscreen(window->Sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
        return false;
    if (!window->Sdl)
        window->Bounds = {0, 0, ScreenWidth(), ScreenHeight()};
    window->FullScreen = true;
    window->ClientSize = {window->Bounds.Width, window->Bounds.Height};
    return true;
}

bool SetFullScreenMode(WindowHandle handle, Size clientSize, int colorBits) {
    Window* window = Find(handle);
    const bool depthShown = colorBits == 16 || colorBits == 24 || colorBits == 32;
    if (!window || !window->FullScreen || clientSize.Width <= 0 || clientSize.Height <= 0 || !depthShown)
        return false;
    window->ClientSize = clientSize;
    return true;
}

void LeaveFullScreen(WindowHandle handle) {
    Window* window = Find(handle);
    if (!window || !window->FullScreen)
        return;
    if (window->Sdl)
        SDL_SetWindowFullscreen(window->Sdl, 0);
    window->FullScreen = false;
    // The window the switch leaves behind, until the program sizes it again.
    const Rect bounds = GetWindowBounds(handle);
    window->ClientSize = {bounds.Width, bounds.Height};
}

bool IsFullScreen(WindowHandle handle) {
    const Window* window = Find(handle);
    return window && window->FullScreen;
}

// --- Tests -------------------------------------------------------------------------

void UseHeadlessScreen(int width, int height) {
    WindowSystemState& state = State();
    state.Headless = true;
    state.HeadlessScreen = {width, height};
}

void SetHeadlessCursorPos(int x, int y) {
    State().HeadlessCursor = {x, y};
}

} // namespace platform
