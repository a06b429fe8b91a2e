#pragma once
// The application base class: owns the program's one top-level window, turns
// the window messages the program cares about into calls on overridable
// operations, runs the message loop that calls Idle whenever no message waits
// and the application is active, and switches between window and full screen.
// Everything runs on the thread that calls Run.

#include "game/texts/PlayerTextsUnit.h"
#include "lib/Z5WindowProcedureUnit.h"
#include "platform/WindowSystem.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Mouse-message key state: which modifier keys and buttons are down.
using TShiftFlags = std::uint8_t;

inline constexpr TShiftFlags ssShift = 1;
inline constexpr TShiftFlags ssCtrl = 4;
inline constexpr TShiftFlags ssLeft = 8;
inline constexpr TShiftFlags ssRight = 16;
inline constexpr TShiftFlags ssMiddle = 32;

// The button of a down or up message.
enum TMouseButtonCode : std::uint8_t { mbLeft = 0, mbMiddle = 1, mbRight = 2 };

// The key-state word of a mouse message as TShiftFlags.
TShiftFlags ShiftFlagsOf(std::uintptr_t keyState);

// Window styles of the two modes.
inline constexpr std::uint32_t WindowedStyle =
    platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX;
inline constexpr std::uint32_t FullScreenStyle = platform::WS_POPUP;

class TApp {
public:
    // `windowClassName` names the window class; derived classes pass their own.
    explicit TApp(std::string windowClassName = "TApp");
    virtual ~TApp();
    TApp(const TApp&) = delete;
    TApp& operator=(const TApp&) = delete;

    // Registers the class, creates the window, goes full screen when asked,
    // and runs the message loop until the window is gone.
    void Run();

    void GoFullScreen();
    void GoWindowed();
    void ToggleFullScreen();

    // The mouse position in client coordinates, also outside the window.
    platform::Point GetClientCursorPos() const;
    // A window of the client size Width x Height with this style, centred on
    // the screen (a window larger than the screen gets a negative position).
    platform::Rect WindowRectFor(std::uint32_t style, std::uint32_t exStyle) const;

    // Handles one message as the window procedure does; Result holds the answer.
    void Dispatch(TMessageRecord& message);

    // The mark that the picture on screen is out of date. Every message the
    // window gets sets it; the application clears it when it has drawn.
    void Invalidate() { Invalid_ = true; }
    void Validate() { Invalid_ = false; }
    bool IsInvalid() const { return Invalid_; }

    platform::WindowHandle Handle() const { return Handle_; }
    bool Active() const { return Active_; }
    bool IsFullScreen() const { return IsFullScreen_; }
    const std::string& WindowClassName() const { return WindowClassName_; }

    // Set by a derived constructor; final before Run.
    std::string Title = "test";
    std::int32_t Width = 640;
    std::int32_t Height = 480;
    std::int32_t ColorBits = 32;
    bool StartFullScreen = false;

protected:
    virtual void OnCreateWindow() {}
    virtual void OnDestroyWindow() {}
    virtual void Idle() {}
    virtual void Paint() {}
    virtual void KeyDown(std::uint16_t& key);
    virtual void KeyUp(std::uint16_t&) {}
    // A letter typed, as a Unicode code point.
    virtual void CharInput(char32_t) {}
    virtual void MouseDown(int, int, TMouseButtonCode, TShiftFlags) {}
    virtual void MouseMove(int, int, TShiftFlags) {}
    virtual void MouseUp(int, int, TMouseButtonCode, TShiftFlags) {}
    // Notches the wheel turned, positive away from the user.
    virtual void MouseWheel(int) {}
    // The pointer has left the client area; the next move may lie anywhere.
    virtual void MouseLeave() {}
    // Files were dropped on the window, their paths in the order they came.
    virtual void FilesDropped(const std::vector<std::string>&) {}
    virtual void ScreenModeChanged(bool) {}

private:
    static platform::MessageResult WindowProc(platform::WindowHandle window, std::uint32_t message,
                                              std::uintptr_t wParam, std::intptr_t lParam);
    void RegisterWindowClass();
    void CreateMainWindow();
    void MessageLoop();
    void ActivateApp(bool active);
    void DispatchMouse(const TMessageRecord& message);
    void DefaultProcessing(TMessageRecord& message);

    std::string WindowClassName_;
    bool ClassRegistered = false;
    platform::WindowHandle Handle_ = nullptr;
    bool Active_ = false;
    bool IsFullScreen_ = false;
    bool Invalid_ = true;
};
