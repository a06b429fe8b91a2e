#pragma once
// Platform-internal: the state of the window message layer, shared by the
// window registry (WindowSystem.cpp) and the SDL event translation
// (SdlEventTranslation.cpp).

#include "platform/WindowSystem.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

struct SDL_Window;

namespace platform {

struct Window {
    std::string ClassName;
    WindowProcedure Procedure = nullptr;
    void* UserData = nullptr;
    std::uint32_t Style = 0;
    std::uint32_t ExStyle = 0;
    std::string Caption;
    Rect Bounds; // the window's pixels in screen coordinates while windowed (headless: always)
    bool MessageOnly = false;
    bool FullScreen = false;
    // What the program draws for: the size it asked for, scaled into the
    // window's pixels when they differ (a small screen, a resize, full screen).
    Size ClientSize;
    SDL_Window* Sdl = nullptr; // null for message-only windows and on the headless screen
    bool PaintQueued = false;
    bool PointerInside = false; // the last mouse event lay in the client area
    bool FramePlaced = false;   // fitted once the window manager told its frame
};

struct WindowSystemState {
    std::map<std::string, WindowClass> Classes;
    std::vector<std::unique_ptr<Window>> Windows;

    // The queue is the one piece other threads touch (PostMessage).
    std::mutex QueueMutex;
    std::condition_variable QueueSignal;
    std::deque<WindowMessage> Queue;

    bool Headless = false;
    Size HeadlessScreen;
    Point HeadlessCursor;
    // Read by PostMessage on any thread; set once the wake-up event is registered.
    std::atomic<bool> VideoUp{false};
    std::uint32_t WakeEventType = 0; // SDL user event that wakes WaitMessage

    std::array<bool, 256> KeysDown{};
    std::vector<std::string> DroppedFiles; // until TakeDroppedFiles

    // The key and button flags of mouse messages (MK_) as of the display event
    // being translated, kept up to date event by event: of several events read
    // in one go (a quick click, Ctrl pressed and released around it) each
    // carries its own state, not the state after the last of them.
    std::uintptr_t ButtonsAtEvent = 0;
    std::uintptr_t ModifiersAtEvent = 0;
};

WindowSystemState& State();

// Queues a message at the back (thread-safe).
void Enqueue(const WindowMessage& message);

// The window a display event belongs to; null when it is not one of ours.
WindowHandle WindowFromSdl(std::uint32_t sdlWindowId);

// Window pixels -> client coordinates (identity unless the window is scaled).
Point WindowToClient(WindowHandle window, Point windowPixel);

// Reads every waiting display event and queues the messages they become.
void PumpSdlEvents();
// A window manager tells the frame it draws around a window only after the
// window is mapped: the first time a window's frame is known, a window whose
// frame would not lie within the usable area is fitted and moved into it.
void PlaceFramesOnScreen();
// Blocks until a display event (or a wake-up post) waits, or at most
// `timeoutMs` milliseconds unless it is -1.
void WaitForSdlEvent(int timeoutMs);
// Wakes a WaitForSdlEvent from any thread.
void WakeSdlWait();

} // namespace platform
