// Display events as the window layer turns them into messages: events are
// pushed into SDL's queue for a real window under the test display, as the
// display server would deliver them, all read in one pump.

#include "RenderFixture.h"

#include "platform/WindowSystemSdl.h"

#include <SDL.h>

#include <algorithm>
#include <vector>

using namespace platform;

namespace {

MessageResult HoldScreenSaverOff(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
    if (message == WM_SYSCOMMAND && wParam == SC_SCREENSAVE)
        return 1;
    return DefaultWindowProc(window, message, wParam, lParam);
}

class InputMessagesTest : public testing::Test {
protected:
    void SetUp() override {
        Window = CreateTestWindow();
        ASSERT_NE(Window, nullptr) << "no window: is there a display?";
        TakeMessages();
    }
    void TearDown() override { DestroyWindow(Window); }

    std::uint32_t WindowId() const { return SDL_GetWindowID(SdlWindowOf(Window)); }

    void Key(bool down, SDL_Keycode symbol, SDL_Scancode position, std::uint16_t mods = KMOD_NONE) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = WindowId();
        event.key.keysym = {position, symbol, mods, 0};
        SDL_PushEvent(&event);
    }
    void Button(bool down, std::uint8_t button, int x, int y) {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button = {event.type, 0, WindowId(), 0, button, 0, 1, 0, x, y};
        SDL_PushEvent(&event);
    }
    void Move(int x, int y) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = WindowId();
        event.motion.x = x;
        event.motion.y = y;
        SDL_PushEvent(&event);
    }
    void Focus(bool gained) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = WindowId();
        event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
        SDL_PushEvent(&event);
    }

    // Every waiting message of the given numbers, in order, taken off the queue.
    std::vector<WindowMessage> TakeMessages(std::initializer_list<std::uint32_t> wanted = {}) {
        std::vector<WindowMessage> taken;
        WindowMessage message;
        while (PeekMessage(message))
            if (std::find(wanted.begin(), wanted.end(), message.Message) != wanted.end())
                taken.push_back(message);
        return taken;
    }
    std::vector<WindowMessage> TakeMouseMessages() {
        return TakeMessages({WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP,
                             WM_MBUTTONDOWN, WM_MBUTTONUP});
    }

    WindowHandle Window = nullptr;
};

} // namespace

TEST_F(InputMessagesTest, EachMouseMessageCarriesTheButtonsAndKeysOfItsOwnEvent) {
    Key(true, SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL);
    Button(true, SDL_BUTTON_LEFT, 10, 20);
    Button(false, SDL_BUTTON_LEFT, 10, 20);
    Key(false, SDLK_LCTRL, SDL_SCANCODE_LCTRL);
    Button(true, SDL_BUTTON_RIGHT, 11, 21);
    Move(12, 22);
    Button(false, SDL_BUTTON_RIGHT, 12, 22);
    Button(true, SDL_BUTTON_MIDDLE, 13, 23);
    Button(false, SDL_BUTTON_MIDDLE, 13, 23);
    const auto messages = TakeMouseMessages();
    ASSERT_EQ(messages.size(), 7u);
    const std::pair<std::uint32_t, std::uintptr_t> expected[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL}, // a quick Ctrl+click keeps both
        {WM_LBUTTONUP, MK_CONTROL},
        {WM_RBUTTONDOWN, MK_RBUTTON},
        {WM_MOUSEMOVE, MK_RBUTTON},
        {WM_RBUTTONUP, 0},
        {WM_MBUTTONDOWN, MK_MBUTTON},
        {WM_MBUTTONUP, 0}};
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].Message, expected[i].first) << i;
        EXPECT_EQ(messages[i].WParam, expected[i].second) << i;
    }
    EXPECT_EQ(PointParamX(messages[0].LParam), 10);
    EXPECT_EQ(PointParamY(messages[0].LParam), 20);
}

TEST_F(InputMessagesTest, NothingOfTheMouseOutsideTheClientAreaReachesTheWindow) {
    Button(true, SDL_BUTTON_LEFT, 5, 5);
    for (const auto& [x, y] : {std::pair{-1, 5}, {ClientWidth, 5}, {5, ClientHeight}, {1122, 872}})
        Move(x, y);
    Button(false, SDL_BUTTON_LEFT, -108, -108); // released outside the window
    Move(ClientWidth - 1, ClientHeight - 1);
    const auto messages = TakeMouseMessages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].Message, WM_LBUTTONDOWN);
    EXPECT_EQ(messages[1].Message, WM_MOUSEMOVE);
    EXPECT_EQ(messages[1].WParam, 0u) << "the release outside still counts";
    EXPECT_GE(GetKeyState(VK_LBUTTON), 0) << "the next move tells the key table the button is up";
}

TEST_F(InputMessagesTest, LettersAndDigitsOfEveryLayoutHaveTheirCodes) {
    const struct {
        SDL_Keycode Symbol;
        SDL_Scancode Position;
        std::uintptr_t Code;
    } keys[] = {
        {SDLK_AMPERSAND, SDL_SCANCODE_1, '1'}, // French number row
        {0xE9 /* é */, SDL_SCANCODE_2, '2'},   {0x43A /* Cyrillic ka */, SDL_SCANCODE_R, 'R'},
        {SDLK_SEMICOLON, SDL_SCANCODE_Q, 'Q'}, // Greek layout
        {SDLK_a, SDL_SCANCODE_Q, 'A'},         // French: the layout's letter wins
        {SDLK_F5, SDL_SCANCODE_F5, VK_F5},
    };
    for (const auto& key : keys)
        Key(true, key.Symbol, key.Position);
    const auto messages = TakeMessages({WM_KEYDOWN});
    ASSERT_EQ(messages.size(), std::size(keys));
    for (std::size_t i = 0; i < messages.size(); ++i)
        EXPECT_EQ(messages[i].WParam, keys[i].Code) << i;
    for (const auto& key : keys)
        Key(false, key.Symbol, key.Position);
    TakeMessages();
}

TEST_F(InputMessagesTest, TheScreenSaverIsHeldOffOnlyWhileTheWindowIsActive) {
    ASSERT_TRUE(RegisterWindowClass({"ScreenSaverTest", 0, &HoldScreenSaverOff, false}));
    DestroyWindow(Window);
    CreateWindowParams params;
    params.ClassName = "ScreenSaverTest";
    params.Bounds = {0, 0, ClientWidth, ClientHeight};
    Window = CreateWindow(params);
    ASSERT_NE(Window, nullptr);
    EXPECT_TRUE(SDL_IsScreenSaverEnabled()) << "nothing holds it off before the first activation";
    Focus(true);
    TakeMessages();
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    Focus(false);
    TakeMessages();
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
    DestroyWindow(Window);
    Window = nullptr;
    UnregisterWindowClass("ScreenSaverTest");
}
