#pragma once
// A hidden message window of its own for any object: every message sent or
// posted to the window reaches the owner's handler. Devices that report back
// with window messages (the audio-CD device's end-of-track notification) name
// the window as their target, and the main message loop delivers what they
// post, so the handler always runs on the main thread.

#include "platform/WindowSystem.h"

#include <cstdint>
#include <functional>
#include <string>

// A message on its way through a window's handler; handlers may set Result.
struct TMessageRecord {
    std::uint32_t Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    platform::MessageResult Result = 0;
};

class TZ5WindowProcedure {
public:
    using TMessageHandler = std::function<void(TMessageRecord& message)>;

    // Creates the window, then binds the handler: the messages of the window's
    // creation get default processing. Without a window (the message layer
    // refused one) Handle stays null and nothing reaches the handler.
    explicit TZ5WindowProcedure(TMessageHandler onMessage);
    // Unbinds the handler first, so the window's last messages get default
    // processing, then destroys the window. The window class stays registered.
    ~TZ5WindowProcedure();
    TZ5WindowProcedure(const TZ5WindowProcedure&) = delete;
    TZ5WindowProcedure& operator=(const TZ5WindowProcedure&) = delete;

    // The message layer's own processing; handlers pass on what they do not handle.
    void DefaultHandler(TMessageRecord& message) const;

    platform::WindowHandle Handle() const { return Handle_; }
    const std::string& WindowClassName() const { return WindowClassName_; }

private:
    static platform::MessageResult WindowProc(platform::WindowHandle window, std::uint32_t message,
                                              std::uintptr_t wParam, std::intptr_t lParam);
    void FillParams(platform::WindowClass& windowClass, platform::CreateWindowParams& params) const;
    void Dispatch(TMessageRecord& message) const;

    std::string WindowClassName_ = "TZ5WindowProcedure";
    TMessageHandler OnMessage;
    platform::WindowHandle Handle_ = nullptr;
};
