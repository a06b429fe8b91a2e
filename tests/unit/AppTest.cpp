#include "HeadlessScreen.h"

#include "game/core/AppUnit.h"
#include "game/core/DirectDrawUnit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

using namespace platform;

namespace {

// Records what reaches the overridable operations.
class RecordingApp : public TApp {
public:
    RecordingApp() : TApp("RecordingApp") {
        Width = 1024;
        Height = 768;
    }

    std::vector<std::string> Calls;
    int IdleCalls = 0;
    int QuitAfterIdleCalls = 1;
    std::vector<WindowMessage> Script; // posted once the window exists

    void Start() { Run(); }

protected:
    void OnCreateWindow() override {
        Calls.push_back("create");
        for (WindowMessage message : Script) {
            message.Window = message.Window ? message.Window : Handle();
            PostMessage(message.Window, message.Message, message.WParam, message.LParam);
        }
    }
    void OnDestroyWindow() override { Calls.push_back("destroy"); }
    void Idle() override {
        if (++IdleCalls >= QuitAfterIdleCalls)
            DestroyWindow(Handle());
    }
    void KeyDown(std::uint16_t& key) override {
        Calls.push_back("keydown " + std::to_string(key));
        TApp::KeyDown(key);
    }
    void MouseDown(int x, int y, TMouseButtonCode button, TShiftFlags shift) override {
        Calls.push_back("down " + Describe(x, y, shift) + " button " + std::to_string(button));
    }
    void MouseMove(int x, int y, TShiftFlags shift) override {
        Calls.push_back("move " + Describe(x, y, shift));
    }
    void MouseUp(int x, int y, TMouseButtonCode button, TShiftFlags shift) override {
        Calls.push_back("up " + Describe(x, y, shift) + " button " + std::to_string(button));
    }
    void ScreenModeChanged(bool fullScreen) override { Calls.push_back(fullScreen ? "full" : "windowed"); }

private:
    static std::string Describe(int x, int y, TShiftFlags shift) {
        return std::to_string(x) + "," + std::to_string(y) + " shift " + std::to_string(shift);
    }
};

WindowMessage Message(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    return {nullptr, message, wParam, lParam};
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseTestScreen();
        DrainMessages();
    }
    void TearDown() override { DrainMessages(); }
    RecordingApp App;
};

} // namespace

TEST_F(AppTest, MouseMessagesBecomeCallsWithButtonCodesFlagsAndSignedCoordinates) {
    App.Script = {
        Message(WM_RBUTTONDOWN, MK_RBUTTON, MakePointParam(10, 20)),
        Message(WM_MBUTTONUP, 0, MakePointParam(-1, -2)),
        Message(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MakePointParam(1023, 767)),
        Message(WM_MOUSEMOVE, MK_SHIFT | MK_MBUTTON | MK_RBUTTON, 0xFFFF'FFFF),
        Message(WM_LBUTTONDBLCLK, MK_LBUTTON, 0), // no double clicks: default processing
        Message(WM_ACTIVATEAPP, 1),
    };
    App.Start();
    const std::vector<std::string> expected = {
        "create",
        "down 10,20 shift 16 button 2",
        "up -1,-2 shift 0 button 1",
        "down 1023,767 shift 12 button 0",
        "move -1,-1 shift 49",
        "destroy",
    };
    EXPECT_EQ(App.Calls, expected);
}

TEST_F(AppTest, AnInactiveApplicationSleepsUntilAMessageAndNeverIdles) {
    struct Probe : RecordingApp {
        std::thread Poster;
        std::atomic<bool> Activated{false};
        int IdleBeforeActivation = 0;
        void OnCreateWindow() override {
            const WindowHandle window = Handle();
            Poster = std::thread([this, window] {
                std::this_thread::sleep_for(30ms);
                PostMessage(window, WM_MOUSEMOVE, 0, 0);
                std::this_thread::sleep_for(30ms);
                Activated = true;
                PostMessage(window, WM_ACTIVATEAPP, 1, 0);
            });
        }
        void Idle() override {
            IdleBeforeActivation += Activated ? 0 : 1;
            RecordingApp::Idle();
        }
    } probe;
    probe.Start();
    probe.Poster.join();
    EXPECT_EQ(probe.IdleBeforeActivation, 0);
    EXPECT_EQ(probe.IdleCalls, 1);
    EXPECT_EQ(probe.Calls, (std::vector<std::string>{"move 0,0 shift 0", "destroy"}));
}

TEST_F(AppTest, TheCaptionTellsWhetherTheApplicationIsActive) {
    struct Probe : RecordingApp {
        std::vector<std::string> Captions;
        void OnCreateWindow() override {
            for (const std::uintptr_t active : {0, 1}) {
                TMessageRecord activation{WM_ACTIVATEAPP, active, 0, 0};
                Dispatch(activation);
                Captions.push_back(GetWindowText(Handle()));
                EXPECT_EQ(Active(), active != 0);
            }
            DestroyWindow(Handle());
        }
    } probe; // keeps the default title
    probe.Start();
    EXPECT_EQ(probe.Captions, (std::vector<std::string>{"test (sleep)", "test"}));
}

TEST_F(AppTest, ScreenSaverIsRefusedOtherCommandsGetTheDefault) {
    struct Probe : RecordingApp {
        void OnCreateWindow() override {
            EXPECT_EQ(SendMessage(Handle(), WM_SYSCOMMAND, SC_SCREENSAVE, 0), 1);
            EXPECT_EQ(SendMessage(Handle(), WM_SYSCOMMAND, 0xF020 /* minimise */, 0), 0);
            EXPECT_TRUE(IsWindow(Handle()));
            DestroyWindow(Handle());
        }
    } probe;
    probe.Start();
}

TEST_F(AppTest, EscapeEndsTheLoopThroughDestroyAndQuit) {
    App.QuitAfterIdleCalls = 1'000'000;
    App.Script = {Message(WM_KEYDOWN, VK_ESCAPE), Message(WM_MOUSEMOVE)};
    App.Start();
    EXPECT_EQ(App.Calls, (std::vector<std::string>{"create", "keydown 27", "destroy"}))
        << "the move queued after the key goes with the window";
}

TEST_F(AppTest, TheCloseBoxDestroysTheWindowAndAltKeysStayWithTheSystem) {
    App.QuitAfterIdleCalls = 1'000'000;
    App.Script = {Message(WM_SYSKEYDOWN, VK_F4), Message(WM_CLOSE)};
    App.Start();
    EXPECT_EQ(App.Calls, (std::vector<std::string>{"create", "destroy"}));
}

TEST_F(AppTest, TheWindowIsCentredWithTheExactClientSize) {
    struct Probe : RecordingApp {
        Rect Bounds;
        void OnCreateWindow() override {
            Bounds = GetWindowBounds(Handle());
            DestroyWindow(Handle());
        }
    } probe;
    probe.Start();
    EXPECT_EQ(probe.Bounds.Width, 1024);
    EXPECT_EQ(probe.Bounds.Height, 768);
    EXPECT_EQ(probe.Bounds.Left, (1920 - 1024) / 2);
    EXPECT_EQ(probe.Bounds.Top, (1080 - 768) / 2);
}

TEST_F(AppTest, AWindowLargerThanTheScreenGetsANegativePosition) {
    App.Width = 2001; // (1920 - 2001) / 2 = -40.5, truncated toward zero
    const Rect rect = App.WindowRectFor(WindowedStyle, 0);
    EXPECT_EQ(rect.Left, -40);
    EXPECT_EQ(rect.Width, 2001);
}

TEST_F(AppTest, F4TwiceReturnsToTheCentredWindow) {
    struct Probe : RecordingApp {
        std::vector<Rect> Bounds;
        Size FullScreenClient;
        void OnCreateWindow() override {
            RecordingApp::OnCreateWindow();
            std::uint16_t f4 = VK_F4;
            KeyDown(f4);
            Bounds.push_back(GetWindowBounds(Handle()));
            FullScreenClient = GetClientSize(Handle());
            EXPECT_TRUE(DisplayMode().ModeSet());
            KeyDown(f4);
            Bounds.push_back(GetWindowBounds(Handle()));
            EXPECT_FALSE(DisplayMode().ModeSet());
            DestroyWindow(Handle());
        }
    } probe;
    probe.Start();
    ASSERT_EQ(probe.Bounds.size(), 2u);
    EXPECT_EQ(probe.Bounds[0].Width, 1920) << "full screen covers the screen";
    EXPECT_EQ(probe.FullScreenClient.Width, 1024) << "and shows the 1024 x 768 picture scaled";
    EXPECT_EQ(probe.Bounds[1].Left, 448);
    EXPECT_EQ(probe.Bounds[1].Top, 156);
    EXPECT_EQ(probe.Bounds[1].Width, 1024);
    EXPECT_EQ(probe.Bounds[1].Height, 768);
    EXPECT_EQ(probe.Calls, (std::vector<std::string>{"create", "keydown 115", "full", "keydown 115",
                                                     "windowed", "destroy"}));
}

TEST_F(AppTest, AFailedModeSwitchKeepsTheWindowedFlagAndReportsNoChange) {
    struct Probe : RecordingApp {
        std::string Error;
        void OnCreateWindow() override {
            ColorBits = 7; // no screen shows that
            try {
                GoFullScreen();
            } catch (const EDirectDraw& error) {
                Error = error.what();
            }
            EXPECT_FALSE(IsFullScreen());
            EXPECT_EQ(GetWindowStyle(Handle()), FullScreenStyle) << "the popup style stays";
            DisplayMode().RestoreMode();
            DestroyWindow(Handle());
        }
    } probe;
    probe.Start();
    EXPECT_EQ(probe.Error, "DirectDraw.SetDisplayMode に失敗しました");
    EXPECT_EQ(probe.Calls, (std::vector<std::string>{"destroy"}));
}

TEST_F(AppTest, RegisteringTheSameClassTwiceFails) {
    ASSERT_TRUE(RegisterWindowClass({"Twice", 0, &DefaultWindowProc, false}));
    EXPECT_FALSE(RegisterWindowClass({"Twice", 0, &DefaultWindowProc, false}));
    EXPECT_TRUE(UnregisterWindowClass("Twice"));

    ASSERT_TRUE(RegisterWindowClass({"RecordingApp", 0, &DefaultWindowProc, false}));
    try {
        App.Start();
        ADD_FAILURE() << "Run must fail";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "ウィンドウが登録できませんでした");
    }
    UnregisterWindowClass("RecordingApp");
}

TEST(DisplayMode, SetAndRestoreFollowTheirRules) {
    UseTestScreen();
    TDirectDraw mode;
    EXPECT_NO_THROW(mode.SetMode(nullptr, 1024, 768, 32)) << "no window: nothing happens";
    EXPECT_FALSE(mode.ModeSet());
    EXPECT_NO_THROW(mode.RestoreMode());

    ASSERT_TRUE(RegisterWindowClass({"ModeTest", 0, &DefaultWindowProc, false}));
    CreateWindowParams params;
    params.ClassName = "ModeTest";
    params.Bounds = {10, 10, 640, 480};
    const WindowHandle first = CreateWindow(params);
    const WindowHandle second = CreateWindow(params);
    mode.SetMode(first, 1024, 768, 32);
    mode.SetMode(second, 800, 600, 16);
    EXPECT_FALSE(GetClientSize(first).Width == 1024) << "the first window was given back";
    EXPECT_EQ(GetClientSize(second).Width, 800);
    mode.RestoreMode();
    EXPECT_EQ(GetClientSize(second).Width, 1920) << "back to the whole-screen window the switch left";
    DestroyWindow(second);
    EXPECT_THROW(mode.SetMode(second, 1024, 768, 32), EDirectDraw) << "a window that is gone";
    DestroyWindow(first);
    UnregisterWindowClass("ModeTest");
}
