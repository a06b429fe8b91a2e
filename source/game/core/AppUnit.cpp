#include "game/core/AppUnit.h"

#include "game/core/DirectDrawUnit.h"
#include "platform/Clock.h"

using namespace platform;

namespace {

constexpr std::uint32_t WindowClassStyle = CS_VREDRAW | CS_HREDRAW; // no double clicks
constexpr std::uint32_t LeaveFullScreenPauseMs = 100;
constexpr const char* InactiveCaptionSuffix = " (sleep)";

bool IsButtonDown(std::uint32_t message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

TMouseButtonCode ButtonOf(std::uint32_t message) {
    switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return mbRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return mbMiddle;
    default: return mbLeft;
    }
}

} // namespace

TShiftFlags ShiftFlagsOf(std::uintptr_t keyState) {
    TShiftFlags flags = 0;
    if (keyState & MK_SHIFT)
        flags |= ssShift;
    if (keyState & MK_CONTROL)
        flags |= ssCtrl;
    if (keyState & MK_LBUTTON)
        flags |= ssLeft;
    if (keyState & MK_RBUTTON)
        flags |= ssRight;
    if (keyState & MK_MBUTTON)
        flags |= ssMiddle;
    return flags;
}

TApp::TApp(std::string windowClassName) : WindowClassName_(std::move(windowClassName)) {}

TApp::~TApp() {
    if (Handle_)
        DestroyWindow(Handle_);
    if (ClassRegistered)
        UnregisterWindowClass(WindowClassName_);
}

void TApp::Run() {
    RegisterWindowClass();
    CreateMainWindow();
    if (StartFullScreen)
        GoFullScreen();
    MessageLoop();
}

void TApp::RegisterWindowClass() {
    const WindowClass windowClass{WindowClassName_, WindowClassStyle, &TApp::WindowProc, true};
    if (!platform::RegisterWindowClass(windowClass))
        throw Exception("ウィンドウが登録できませんでした");
    ClassRegistered = true;
}

void TApp::CreateMainWindow() {
    CreateWindowParams params;
    params.ClassName = WindowClassName_;
    params.Caption = Title;
    params.Style = StartFullScreen ? FullScreenStyle : WindowedStyle;
    params.Bounds = WindowRectFor(params.Style, 0);
    params.CreateParam = this;
    if (CreateWindow(params))
        return;
    const std::string failed = "ウィンドウが生成できませんでした";
    if (!DisplayFound())
        throw Exception(std::string(NoDisplayText) + " " + failed);
    throw Exception(failed);
}

Rect TApp::WindowRectFor(std::uint32_t style, std::uint32_t exStyle) const {
    const Rect window = AdjustWindowRect({0, 0, Width, Height}, style, exStyle);
    // Integer division truncates toward zero: a window larger than the screen
    // sticks out by the same amount at either end, its odd pixel to the right.
    return {(ScreenWidth() - window.Width) / 2, (ScreenHeight() - window.Height) / 2, window.Width,
            window.Height};
}

MessageResult TApp::WindowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
    if (message == WM_CREATE) {
        auto* app = static_cast<TApp*>(CreateParamsOf(lParam).CreateParam);
        SetWindowUserData(window, app);
        app->Handle_ = window;
    }
    auto* app = static_cast<TApp*>(GetWindowUserData(window));
    if (!app)
        return DefaultWindowProc(window, message, wParam, lParam);
    TMessageRecord record{message, wParam, lParam, 0};
    app->Dispatch(record);
    return record.Result;
}

void TApp::Dispatch(TMessageRecord& message) {
    Invalidate(); // input, exposure, size and focus may each change the picture
    switch (message.Msg) {
    case WM_CREATE:
        OnCreateWindow();
        ShowWindow(Handle_, true);
        break;
    case WM_DESTROY:
        OnDestroyWindow();
        ShowWindow(Handle_, false);
        PostQuitMessage(0);
        Handle_ = nullptr; // the window goes once this message is answered
        break;
    case WM_PAINT: Paint(); break;
    case WM_ACTIVATEAPP: ActivateApp(message.WParam != 0); break;
    case WM_KEYDOWN:
    case WM_KEYUP: {
        auto key = static_cast<std::uint16_t>(message.WParam & 0xFFFF);
        message.Msg == WM_KEYDOWN ? KeyDown(key) : KeyUp(key);
        break;
    }
    case WM_UNICHAR: CharInput(static_cast<char32_t>(message.WParam)); break;
    case WM_SYSCOMMAND:
        if (message.WParam == SC_SCREENSAVE)
            message.Result = 1; // the screen saver does not start while we run
        else
            DefaultProcessing(message);
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: DispatchMouse(message); break;
    case WM_MOUSEWHEEL:
        MouseWheel(static_cast<std::int16_t>(message.WParam >> 16 & 0xFFFF) / WHEEL_DELTA);
        break;
    case WM_MOUSELEAVE: MouseLeave(); break;
    case WM_DROPFILES: FilesDropped(platform::TakeDroppedFiles()); break;
    default: DefaultProcessing(message); break;
    }
}

void TApp::DefaultProcessing(TMessageRecord& message) {
    message.Result = DefaultWindowProc(Handle_, message.Msg, message.WParam, message.LParam);
}

void TApp::DispatchMouse(const TMessageRecord& message) {
    const int x = PointParamX(message.LParam);
    const int y = PointParamY(message.LParam);
    const TShiftFlags shift = ShiftFlagsOf(message.WParam);
    if (message.Msg == WM_MOUSEMOVE)
        MouseMove(x, y, shift);
    else if (IsButtonDown(message.Msg))
        MouseDown(x, y, ButtonOf(message.Msg), shift);
    else
        MouseUp(x, y, ButtonOf(message.Msg), shift);
}

void TApp::ActivateApp(bool active) {
    Active_ = active;
    SetWindowText(Handle_, active ? Title : Title + InactiveCaptionSuffix);
}

void TApp::MessageLoop() {
    for (;;) {
        WindowMessage message;
        if (PeekMessage(message)) {
            if (message.Message == WM_QUIT)
                return;
            DispatchMessage(message);
        } else if (Active_) {
            Idle();
        } else {
            WaitMessage(); // an inactive application uses no processor time
        }
    }
}

void TApp::KeyDown(std::uint16_t& key) {
    if (key == VK_ESCAPE)
        DestroyWindow(Handle_);
    else if (key == VK_F4)
        ToggleFullScreen();
}

void TApp::GoFullScreen() {
    if (IsFullScreen_)
        return;
    SetWindowStyle(Handle_, FullScreenStyle);
    SetWindowPos(Handle_, {0, 0, ScreenWidth(), ScreenHeight()});
    ShowWindow(Handle_, true);
    DisplayMode().SetMode(Handle_, Width, Height, ColorBits);
    IsFullScreen_ = true;
    ScreenModeChanged(true);
}

void TApp::GoWindowed() {
    DisplayMode().RestoreMode();
    SleepMs(LeaveFullScreenPauseMs);
    SetWindowPos(Handle_, {0, 0, 0, 0});
    ShowWindow(Handle_, true);
    SetWindowStyle(Handle_, WindowedStyle);
    SetWindowPos(Handle_, WindowRectFor(GetWindowStyle(Handle_), GetWindowExStyle(Handle_)));
    ShowWindow(Handle_, true);
    UpdateWindow(Handle_);
    IsFullScreen_ = false;
    ScreenModeChanged(false);
}

void TApp::ToggleFullScreen() {
    if (IsFullScreen_)
        GoWindowed();
    else
        GoFullScreen();
}

Point TApp::GetClientCursorPos() const {
    return platform::GetClientCursorPos(Handle_);
}
