// Display events as the window layer turns them into messages: events are
// pushed into SDL's queue for a real window under the test display, as the
// display server would deliver them, and all read in one pump.

#include "RenderFixture.h"

#include "platform/WindowSystemSdl.h"

#include <SDL.h>

#include <vector>

using namespace platform;

namespace {

class InputMessagesTest : public testing::Test {
protected:
    void SetUp() override {
        Window = CreateTestWindow();
        ASSERT_NE(Window, nullptr) << "no window: is there a display?";
        Take(0);
    }
    void TearDown() override { DestroyWindow(Window); }

    void Push(SDL_Event event) {
        event.window.windowID = SDL_GetWindowID(SdlWindowOf(Window)); // same place in every event kind
        SDL_PushEvent(&event);
    }
    void Key(bool down, SDL_Keycode symbol, SDL_Scancode position, std::uint16_t mods = KMOD_NONE) {
        SDL_Event event{down ? SDL_KEYDOWN : SDL_KEYUP};
        event.key.keysym = {position, symbol, mods, 0};
        Push(event);
    }
    void Button(bool down, std::uint8_t button, int x, int y) {
        SDL_Event event{down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP};
        event.button = {event.type, 0, 0, 0, button, 0, 1, 0, x, y};
        Push(event);
    }
    void Move(int x, int y) {
        SDL_Event event{SDL_MOUSEMOTION};
        event.motion.x = x;
        event.motion.y = y;
        Push(event);
    }

    // Takes every waiting message; keeps those from `first` to `last`.
    std::vector<WindowMessage> Take(std::uint32_t first, std::uint32_t last = 0) {
        std::vector<WindowMessage> kept;
        WindowMessage message;
        while (PeekMessage(message))
            if (message.Message >= first && message.Message <= last)
                kept.push_back(message);
        return kept;
    }

    WindowHandle Window = nullptr;
};

} // namespace

TEST_F(InputMessagesTest, EachMouseMessageCarriesTheButtonsAndKeysOfItsOwnEvent) {
    Key(true, SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL);
    Button(true, SDL_BUTTON_LEFT, 10, 20); // a quick Ctrl+click
    Button(false, SDL_BUTTON_LEFT, 10, 20);
    Key(false, SDLK_LCTRL, SDL_SCANCODE_LCTRL);
    Button(true, SDL_BUTTON_RIGHT, 11, 21);
    Move(12, 22);
    Button(false, SDL_BUTTON_RIGHT, 12, 22);
    Button(true, SDL_BUTTON_MIDDLE, 13, 23);
    const auto messages = Take(WM_MOUSEMOVE, WM_MBUTTONUP);
    const std::vector<std::pair<std::uint32_t, std::uintptr_t>> expected = {
        {WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL},
        {WM_LBUTTONUP, MK_CONTROL},
        {WM_RBUTTONDOWN, MK_RBUTTON},
        {WM_MOUSEMOVE, MK_RBUTTON},
        {WM_RBUTTONUP, 0},
        {WM_MBUTTONDOWN, MK_MBUTTON}};
    ASSERT_EQ(messages.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::pair(messages[i].Message, messages[i].WParam), expected[i]) << i;
    EXPECT_EQ(PointParamY(messages.at(0).LParam), 20);
    Button(false, SDL_BUTTON_MIDDLE, 13, 23);
    Take(0);
}

TEST_F(InputMessagesTest, NothingOfTheMouseOutsideTheClientAreaReachesTheWindow) {
    Button(true, SDL_BUTTON_LEFT, 5, 5);
    for (const auto& [x, y] : {std::pair{-1, 5}, {ClientWidth, 5}, {5, ClientHeight}, {1122, 872}})
        Move(x, y);
    Button(false, SDL_BUTTON_LEFT, -108, -108); // released outside the window
    Move(ClientWidth - 1, ClientHeight - 1);
    const auto messages = Take(WM_MOUSEMOVE, WM_MBUTTONUP);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].Message, WM_LBUTTONDOWN);
    EXPECT_EQ(messages[1].WParam, 0u) << "the release outside still counts";
    EXPECT_GE(GetKeyState(VK_LBUTTON), 0) << "the next move tells the key table the button is up";
}

// Full screen on 1280 x 1024 scales the picture up to 1280 x 960 between
// bars 32 pixels high: the bar pixel next to the picture lies a fraction of
// a client pixel outside it, and it is outside all the same.
TEST_F(InputMessagesTest, NoMouseMessageComesFromTheBarPixelBesideAPictureScaledUp) {
    ASSERT_TRUE(EnterFullScreen(Window));
    ASSERT_TRUE(SetFullScreenMode(Window, {ClientWidth, ClientHeight}, 32));
    const Rect viewport = GetPresentationViewport(Window);
    ASSERT_GT(viewport.Height, ClientHeight) << "scaled up";
    ASSERT_GT(viewport.Top, 0) << "with bars above and below";
    Move(100, viewport.Top - 1);
    Move(100, viewport.Top + viewport.Height);
    Move(100, viewport.Top);
    Move(100, viewport.Top + viewport.Height - 1);
    const auto messages = Take(WM_MOUSEMOVE, WM_MOUSEMOVE);
    LeaveFullScreen(Window);
    ASSERT_EQ(messages.size(), 2u) << "only the picture's own first and last rows";
    EXPECT_EQ(PointParamY(messages[0].LParam), 0);
    EXPECT_EQ(PointParamY(messages[1].LParam), ClientHeight - 1);
}

TEST_F(InputMessagesTest, ThePointerLeavingTheClientAreaIsToldOnce) {
    Move(5, 5);
    Move(5, ClientHeight + 100); // a drag's motion below the window, at its real place
    Move(5, ClientHeight + 200);
    Move(5, 6);
    SDL_Event leave{SDL_WINDOWEVENT};
    leave.window.event = SDL_WINDOWEVENT_LEAVE;
    Push(leave);
    Push(leave);
    std::vector<std::uint32_t> kinds;
    for (const WindowMessage& message : Take(WM_MOUSEMOVE, WM_MOUSELEAVE))
        if (message.Message == WM_MOUSEMOVE || message.Message == WM_MOUSELEAVE)
            kinds.push_back(message.Message);
    EXPECT_EQ(kinds, (std::vector<std::uint32_t>{WM_MOUSEMOVE, WM_MOUSELEAVE, WM_MOUSEMOVE, WM_MOUSELEAVE}));
}

TEST_F(InputMessagesTest, LettersAndDigitsOfEveryLayoutHaveTheirCodes) {
    const std::vector<std::tuple<SDL_Keycode, SDL_Scancode, std::uintptr_t>> keys = {
        {SDLK_AMPERSAND, SDL_SCANCODE_1, '1'},
        {0xE9 /* é */, SDL_SCANCODE_2, '2'}, // French number row
        {0x43A /* Cyrillic ka */, SDL_SCANCODE_R, 'R'},
        {SDLK_SEMICOLON, SDL_SCANCODE_Q, 'Q'}, // Greek
        {SDLK_a, SDL_SCANCODE_Q, 'A'},         // French: the layout's letter wins
        {SDLK_F5, SDL_SCANCODE_F5, VK_F5}};
    for (const auto& [symbol, position, code] : keys)
        Key(true, symbol, position);
    const auto messages = Take(WM_KEYDOWN, WM_KEYDOWN);
    ASSERT_EQ(messages.size(), keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(messages[i].WParam, std::get<2>(keys[i])) << i;
    for (const auto& [symbol, position, code] : keys)
        Key(false, symbol, position);
    Take(0);
}

TEST_F(InputMessagesTest, TheScreenSaverIsHeldOffOnlyWhileTheWindowIsActive) {
    const WindowProcedure holdScreenSaverOff = [](WindowHandle window, std::uint32_t message,
                                                  std::uintptr_t wParam,
                                                  std::intptr_t lParam) -> MessageResult {
        return message == WM_SYSCOMMAND && wParam == SC_SCREENSAVE
                   ? 1
                   : DefaultWindowProc(window, message, wParam, lParam);
    };
    ASSERT_TRUE(RegisterWindowClass({"ScreenSaverTest", 0, holdScreenSaverOff, false}));
    DestroyWindow(Window);
    CreateWindowParams params;
    params.ClassName = "ScreenSaverTest";
    params.Bounds = {0, 0, ClientWidth, ClientHeight};
    Window = CreateWindow(params);
    for (const bool active : {true, false}) {
        SDL_Event event{SDL_WINDOWEVENT};
        event.window.event = active ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
        Push(event);
        Take(0);
        EXPECT_EQ(SDL_IsScreenSaverEnabled(), active ? SDL_FALSE : SDL_TRUE) << "active: " << active;
    }
    UnregisterWindowClass("ScreenSaverTest");
}

TEST_F(InputMessagesTest, FilesDroppedOnTheWindowComeAsMessagesWithTheirPathsInOrder) {
    const std::uint32_t ours = SDL_GetWindowID(SdlWindowOf(Window));
    for (const auto& [path, window] : {std::pair{"/tmp/a stage.vaporel.txt", ours},
                                       {"/tmp/elsewhere.txt", 0u},
                                       {"/tmp/\xe6\xb0\xb4.txt", ours}}) {
        SDL_Event event{SDL_DROPFILE};
        event.drop.file = SDL_strdup(path); // the translation frees it, as SDL's own
        event.drop.windowID = window;
        SDL_PushEvent(&event);
    }
    EXPECT_EQ(Take(WM_DROPFILES, WM_DROPFILES).size(), 2u) << "none for a drop on no window of ours";
    EXPECT_EQ(TakeDroppedFiles(),
              (std::vector<std::string>{"/tmp/a stage.vaporel.txt", "/tmp/\xe6\xb0\xb4.txt"}));
    EXPECT_TRUE(TakeDroppedFiles().empty()) << "taken once";
}
