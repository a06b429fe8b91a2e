#pragma once
// Message numbers, flags and key codes of the window message layer. The values
// are the well-known desktop ones: the application's handlers are written in
// them, and a test or a log line can name a message or key by its number.

#include <cstdint>

namespace platform {

// Messages
inline constexpr std::uint32_t WM_CREATE = 1;
inline constexpr std::uint32_t WM_DESTROY = 2;
inline constexpr std::uint32_t WM_PAINT = 15;
inline constexpr std::uint32_t WM_CLOSE = 16;
inline constexpr std::uint32_t WM_QUIT = 18;
inline constexpr std::uint32_t WM_ACTIVATEAPP = 28;
inline constexpr std::uint32_t WM_KEYDOWN = 256;
inline constexpr std::uint32_t WM_KEYUP = 257;
inline constexpr std::uint32_t WM_SYSKEYDOWN = 260;
inline constexpr std::uint32_t WM_SYSKEYUP = 261;
// A letter typed (after the keyboard layout and the input method): wParam is
// its Unicode code point.
inline constexpr std::uint32_t WM_UNICHAR = 0x0109;
inline constexpr std::uint32_t WM_SYSCOMMAND = 274;
inline constexpr std::uint32_t WM_MOUSEMOVE = 512;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 513;
inline constexpr std::uint32_t WM_LBUTTONUP = 514;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 515;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 516;
inline constexpr std::uint32_t WM_RBUTTONUP = 517;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 518;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 519;
inline constexpr std::uint32_t WM_MBUTTONUP = 520;
// The wheel turned: the high word of wParam is the signed distance, WHEEL_DELTA
// a notch, positive away from the user; the low word holds the MK_ flags.
inline constexpr std::uint32_t WM_MOUSEWHEEL = 522;
inline constexpr int WHEEL_DELTA = 120;
// The pointer has left the client area (or the screen over it): the mouse
// messages before it and the next WM_MOUSEMOVE are not joined by a path.
inline constexpr std::uint32_t WM_MOUSELEAVE = 0x02A3;
// Files were dropped on the window: TakeDroppedFiles() gives their paths.
inline constexpr std::uint32_t WM_DROPFILES = 0x0233;
inline constexpr std::uint32_t WM_USER = 0x0400;
// A multimedia device finished (or gave up) a command sent with "notify":
// wParam is the MCI_NOTIFY_ code, lParam the device identifier.
inline constexpr std::uint32_t MM_MCINOTIFY = 0x03B9;

// WM_SYSCOMMAND commands
inline constexpr std::uintptr_t SC_SCREENSAVE = 0xF140;

// Key and button flags in the wParam of mouse messages
inline constexpr std::uintptr_t MK_LBUTTON = 0x0001;
inline constexpr std::uintptr_t MK_RBUTTON = 0x0002;
inline constexpr std::uintptr_t MK_SHIFT = 0x0004;
inline constexpr std::uintptr_t MK_CONTROL = 0x0008;
inline constexpr std::uintptr_t MK_MBUTTON = 0x0010;

// Window styles
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080;

// Class styles
inline constexpr std::uint32_t CS_VREDRAW = 0x0001;
inline constexpr std::uint32_t CS_HREDRAW = 0x0002;
inline constexpr std::uint32_t CS_DBLCLKS = 0x0008;

// Virtual-key codes (letters and digits are their upper-case ASCII codes)
inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_CAPITAL = 0x14;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_DIVIDE = 0x6F;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F2 = 0x71;
inline constexpr int VK_F4 = 0x73;
inline constexpr int VK_F5 = 0x74;
inline constexpr int VK_F12 = 0x7B;
inline constexpr int VK_LSHIFT = 0xA0;
inline constexpr int VK_RSHIFT = 0xA1;
inline constexpr int VK_LCONTROL = 0xA2;
inline constexpr int VK_RCONTROL = 0xA3;
inline constexpr int VK_LMENU = 0xA4;
inline constexpr int VK_RMENU = 0xA5;

// lParam of mouse messages: client x and y as the low and high 16-bit halves.
constexpr std::intptr_t MakePointParam(int x, int y) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                                      static_cast<std::uint32_t>(x & 0xFFFF));
}
constexpr int PointParamX(std::intptr_t lParam) {
    return static_cast<std::int16_t>(lParam & 0xFFFF);
}
constexpr int PointParamY(std::intptr_t lParam) {
    return static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
}

} // namespace platform
