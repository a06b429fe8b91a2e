#include "lib/Z5WindowProcedureUnit.h"

using platform::CreateWindowParams;
using platform::MessageResult;
using platform::WindowClass;
using platform::WindowHandle;

TZ5WindowProcedure::TZ5WindowProcedure(TMessageHandler onMessage) {
    WindowClass windowClass;
    CreateWindowParams params;
    FillParams(windowClass, params);
    // Fails for every object after the first: they all share the one class.
    platform::RegisterWindowClass(windowClass);
    platform::CreateWindow(params); // sets Handle_ through WM_CREATE
    OnMessage = std::move(onMessage);
}

TZ5WindowProcedure::~TZ5WindowProcedure() {
    OnMessage = nullptr;
    if (Handle_)
        platform::DestroyWindow(Handle_);
}

void TZ5WindowProcedure::FillParams(WindowClass& windowClass, CreateWindowParams& params) const {
    windowClass = {};
    windowClass.Name = WindowClassName_;
    windowClass.Procedure = &TZ5WindowProcedure::WindowProc;

    params = {};
    params.ClassName = WindowClassName_;
    params.Style = platform::WS_POPUP;
    params.ExStyle = platform::WS_EX_TOOLWINDOW;
    params.MessageOnly = true;
    params.CreateParam = const_cast<TZ5WindowProcedure*>(this);
}

MessageResult TZ5WindowProcedure::WindowProc(WindowHandle window, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == platform::WM_CREATE) {
        auto* owner = static_cast<TZ5WindowProcedure*>(platform::CreateParamsOf(lParam).CreateParam);
        platform::SetWindowUserData(window, owner);
        owner->Handle_ = window;
    }
    auto* owner = static_cast<TZ5WindowProcedure*>(platform::GetWindowUserData(window));
    if (!owner)
        return platform::DefaultWindowProc(window, message, wParam, lParam);
    TMessageRecord record{message, wParam, lParam, 0};
    owner->Dispatch(record);
    // A window closed through default processing is gone: its handle must not
    // be destroyed again later, when it may name another window.
    if (message == platform::WM_DESTROY)
        owner->Handle_ = nullptr;
    return record.Result;
}

void TZ5WindowProcedure::Dispatch(TMessageRecord& message) const {
    if (OnMessage)
        OnMessage(message);
    else
        DefaultHandler(message);
}

void TZ5WindowProcedure::DefaultHandler(TMessageRecord& message) const {
    message.Result = platform::DefaultWindowProc(Handle_, message.Msg, message.WParam, message.LParam);
}
