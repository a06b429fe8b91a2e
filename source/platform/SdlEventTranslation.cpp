// Display events become window messages: keys with their virtual-key codes,
// mouse messages with button flags and client coordinates, focus changes as
// activation, exposure as painting, the close box as a close request.

#include "platform/WindowSystemState.h"

#include <SDL.h>

#include <memory>
#include <optional>
#include <utility>

namespace platform {

namespace {

int VirtualKeyOfLetterOrDigit(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + (key - SDLK_0);
    return 0;
}

// The letter or digit printed on a US keyboard at this position: the letter
// keys and the number row.
int VirtualKeyOfLetterOrDigitPosition(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z)
        return 'A' + (code - SDL_SCANCODE_A);
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9)
        return '1' + (code - SDL_SCANCODE_1);
    if (code == SDL_SCANCODE_0)
        return '0';
    return 0;
}

int VirtualKeyOfScancode(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12)
        return VK_F1 + (code - SDL_SCANCODE_F1);
    if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9)
        return VK_NUMPAD0 + 1 + (code - SDL_SCANCODE_KP_1);
    switch (code) {
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return VK_MENU;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    default: return 0;
    }
}

// Letters and digits follow the keyboard layout, so that 'Q' is the key that
// types q wherever the layout puts it. A letter key or number-row key whose
// symbol has no code of its own (the number row of a French layout types &, é,
// "; a Russian layout types Cyrillic letters) is named by its position, so
// that every layout has every letter and digit. The other keys are named by
// their position.
int VirtualKeyOf(const SDL_Keysym& key) {
    if (const int letterOrDigit = VirtualKeyOfLetterOrDigit(key.sym))
        return letterOrDigit;
    if (const int position = VirtualKeyOfLetterOrDigitPosition(key.scancode))
        return position;
    return VirtualKeyOfScancode(key.scancode);
}

std::uintptr_t ModifierFlagsOf(std::uint16_t mods) {
    std::uintptr_t flags = 0;
    if (mods & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mods & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

std::uintptr_t ButtonFlag(std::uint8_t button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    default: return 0;
    }
}

std::uintptr_t MouseFlagsAtEvent() {
    return State().ButtonsAtEvent | State().ModifiersAtEvent;
}

// A window without a mouse capture hears of the mouse only over its client
// area: not over the bars around the full-screen picture, not while a drag
// that began inside goes on outside. The game relies on that.
std::optional<std::intptr_t> ClientPointParam(WindowHandle window, int x, int y) {
    const Point client = WindowToClient(window, {x, y});
    const Size size = GetClientSize(window);
    if (client.X < 0 || client.Y < 0 || client.X >= size.Width || client.Y >= size.Height)
        return std::nullopt;
    return MakePointParam(client.X, client.Y);
}

std::uint32_t ButtonMessage(std::uint8_t button, bool down) {
    switch (button) {
    case SDL_BUTTON_LEFT: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case SDL_BUTTON_RIGHT: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case SDL_BUTTON_MIDDLE: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return 0;
    }
}

void TranslateKey(const SDL_KeyboardEvent& event) {
    State().ModifiersAtEvent = ModifierFlagsOf(event.keysym.mod); // the state after this key
    const WindowHandle window = WindowFromSdl(event.windowID);
    const int key = VirtualKeyOf(event.keysym);
    if (!window || key == 0)
        return;
    const bool down = event.type == SDL_KEYDOWN;
    // Keys pressed with Alt belong to the system (window manager shortcuts), not to the game.
    const bool system = (event.keysym.mod & KMOD_ALT) != 0 || key == VK_MENU;
    const std::uint32_t message =
        system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    const std::intptr_t repeatAndScan = 1 | (static_cast<std::intptr_t>(event.keysym.scancode & 0xFF) << 16);
    const std::intptr_t transition = down ? (event.repeat ? 0x40000000 : 0) : 0xC0000000;
    Enqueue({window, message, static_cast<std::uintptr_t>(key), repeatAndScan | transition});
}

// The code point that starts at `at` of SDL's text (always whole UTF-8),
// moving `at` past it.
std::uint32_t NextCodePoint(const char* text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    std::uint32_t codePoint = more == 0 ? lead : lead & (0x3Fu >> more);
    for (int i = 0; i < more && text[at] != '\0'; ++i)
        codePoint = codePoint << 6 | (static_cast<unsigned char>(text[at++]) & 0x3Fu);
    return codePoint;
}

// Typed text, committed by the input method: one message a letter.
void TranslateTextInput(const SDL_TextInputEvent& event) {
    const WindowHandle window = WindowFromSdl(event.windowID);
    if (!window)
        return;
    for (std::size_t at = 0; event.text[at] != '\0';)
        Enqueue({window, WM_UNICHAR, NextCodePoint(event.text, at), 0});
}

void TranslateMouseButton(const SDL_MouseButtonEvent& event) {
    if (event.which == SDL_TOUCH_MOUSEID)
        return;
    // A press includes its button in the flags, a release no longer does.
    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
    std::uintptr_t& buttons = State().ButtonsAtEvent;
    buttons = down ? buttons | ButtonFlag(event.button) : buttons & ~ButtonFlag(event.button);
    const WindowHandle window = WindowFromSdl(event.windowID);
    const std::uint32_t message = ButtonMessage(event.button, down);
    if (!window || message == 0)
        return;
    if (const auto point = ClientPointParam(window, event.x, event.y)) {
        window->PointerInside = true;
        Enqueue({window, message, MouseFlagsAtEvent(), *point});
    }
}

// The first motion outside the client area after one inside tells the
// window that the pointer has gone, so that a drag is not joined across the
// part of its path the window never saw.
void PointerLeft(WindowHandle window) {
    if (window->PointerInside)
        Enqueue({window, WM_MOUSELEAVE, 0, 0});
    window->PointerInside = false;
}

void TranslateMouseMotion(const SDL_MouseMotionEvent& event) {
    const WindowHandle window = WindowFromSdl(event.windowID);
    if (!window || event.which == SDL_TOUCH_MOUSEID)
        return;
    const auto point = ClientPointParam(window, event.x, event.y);
    if (!point)
        return PointerLeft(window);
    window->PointerInside = true;
    Enqueue({window, WM_MOUSEMOVE, MouseFlagsAtEvent(), *point});
}

void TranslateMouseWheel(const SDL_MouseWheelEvent& event) {
    const WindowHandle window = WindowFromSdl(event.windowID);
    if (!window || event.which == SDL_TOUCH_MOUSEID || event.y == 0)
        return;
    const int notches = event.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.y : event.y;
    const auto distance = static_cast<std::uint16_t>(static_cast<std::int16_t>(notches * WHEEL_DELTA));
    Enqueue({window, WM_MOUSEWHEEL, (static_cast<std::uintptr_t>(distance) << 16) | MouseFlagsAtEvent(), 0});
}

// An activated program decides whether the screen saver may start; an
// inactive one never holds it off.
void AskAboutScreenSaver(WindowHandle window) {
    if (SendMessage(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0) != 0)
        SDL_DisableScreenSaver();
    else
        SDL_EnableScreenSaver();
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
    const WindowHandle window = WindowFromSdl(event.windowID);
    if (!window)
        return;
    switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        Enqueue({window, WM_ACTIVATEAPP, 1, 0});
        AskAboutScreenSaver(window);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        Enqueue({window, WM_ACTIVATEAPP, 0, 0});
        SDL_EnableScreenSaver();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        if (!window->PaintQueued) {
            window->PaintQueued = true;
            Enqueue({window, WM_PAINT, 0, 0});
        }
        break;
    case SDL_WINDOWEVENT_LEAVE: PointerLeft(window); break;
    case SDL_WINDOWEVENT_CLOSE: Enqueue({window, WM_CLOSE, 0, 0}); break;
    default: break;
    }
}

// A file dropped on a window (a drag from a file manager): its path waits for
// TakeDroppedFiles.
void TranslateDrop(const SDL_DropEvent& event) {
    const std::unique_ptr<char, decltype(&SDL_free)> file(event.file, SDL_free);
    const WindowHandle window = WindowFromSdl(event.windowID);
    if (!window || !file)
        return;
    State().DroppedFiles.emplace_back(file.get());
    Enqueue({window, WM_DROPFILES, 0, 0});
}

// A quit request from outside (a signal, the session ending) closes every
// window the normal way, so that each saves what it has to.
void CloseAllWindows() {
    for (const auto& window : State().Windows)
        if (!window->MessageOnly)
            Enqueue({window.get(), WM_CLOSE, 0, 0});
}

void Translate(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: TranslateKey(event.key); break;
    case SDL_TEXTINPUT: TranslateTextInput(event.text); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: TranslateMouseButton(event.button); break;
    case SDL_MOUSEMOTION: TranslateMouseMotion(event.motion); break;
    case SDL_MOUSEWHEEL: TranslateMouseWheel(event.wheel); break;
    case SDL_WINDOWEVENT: TranslateWindowEvent(event.window); break;
    case SDL_DROPFILE: TranslateDrop(event.drop); break;
    case SDL_QUIT: CloseAllWindows(); break;
    default: break; // includes the wake-up event: it only ends a wait
    }
}

} // namespace

void PumpSdlEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        Translate(event);
    PlaceFramesOnScreen();
}

std::vector<std::string> TakeDroppedFiles() {
    return std::exchange(State().DroppedFiles, {});
}

void WaitForSdlEvent(int timeoutMs) {
    SDL_WaitEventTimeout(nullptr, timeoutMs);
}

void WakeSdlWait() {
    SDL_Event wake{};
    wake.type = State().WakeEventType;
    SDL_PushEvent(&wake);
}

} // namespace platform
