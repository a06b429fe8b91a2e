#include "HeadlessScreen.h"

#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace platform;

namespace {

MessageResult EchoProc(WindowHandle, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    return message == WM_USER ? static_cast<MessageResult>(wParam * 2) : 0;
}

class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseTestScreen();
        DrainMessages();
        ASSERT_TRUE(RegisterWindowClass({"Echo", 0, &EchoProc, false}));
        CreateWindowParams params;
        params.ClassName = "Echo";
        params.Bounds = {100, 50, 640, 480};
        Window = CreateWindow(params);
        ASSERT_NE(Window, nullptr);
    }
    void TearDown() override {
        DestroyWindow(Window);
        UnregisterWindowClass("Echo");
        DrainMessages();
    }
    WindowHandle Window = nullptr;
};

} // namespace

TEST_F(WindowSystemTest, KeyStateFollowsTheMessagesTakenOffTheQueue) {
    PostMessage(Window, WM_KEYDOWN, '1', 0);
    PostMessage(Window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(GetKeyState('1'), 0) << "not yet taken";
    WindowMessage message;
    ASSERT_TRUE(PeekMessage(message));
    EXPECT_LT(GetKeyState('1'), 0);
    ASSERT_TRUE(PeekMessage(message));
    EXPECT_LT(GetKeyState(VK_LBUTTON), 0);
    PostMessage(Window, WM_KEYUP, '1', 0);
    PostMessage(Window, WM_ACTIVATEAPP, 0, 0);
    ASSERT_TRUE(PeekMessage(message));
    EXPECT_EQ(GetKeyState('1'), 0);
    ASSERT_TRUE(PeekMessage(message));
    EXPECT_EQ(GetKeyState(VK_LBUTTON), 0) << "losing the focus releases everything held";
    EXPECT_FALSE(PeekMessage(message));
}

TEST_F(WindowSystemTest, PostsFromOtherThreadsWakeTheWaitAndKeepTheirOrder) {
    std::thread poster([this] {
        for (std::uintptr_t i = 0; i < 100; ++i)
            PostMessage(Window, WM_USER, i, 0);
    });
    for (std::uintptr_t expected = 0; expected < 100; ++expected) {
        WindowMessage message;
        while (!PeekMessage(message))
            WaitMessage();
        EXPECT_EQ(message.WParam, expected);
        EXPECT_EQ(DispatchMessage(message), static_cast<MessageResult>(expected * 2));
    }
    poster.join();
}

TEST_F(WindowSystemTest, ATimedWaitEndsWithItsTimeOrWithAPost) {
    WaitMessageFor(1);
    WindowMessage message;
    EXPECT_FALSE(PeekMessage(message)) << "nothing was posted: the time ended the wait";
    std::thread poster([this] { PostMessage(Window, WM_USER, 7, 0); });
    WaitMessageFor(24 * 60 * 60 * 1000); // a day, unless the post wakes it
    poster.join();
    ASSERT_TRUE(PeekMessage(message));
    EXPECT_EQ(message.WParam, 7u);
}

TEST_F(WindowSystemTest, MessagesOfADestroyedWindowAreDropped) {
    PostMessage(Window, WM_USER, 1, 0);
    DestroyWindow(Window);
    EXPECT_FALSE(IsWindow(Window));
    EXPECT_EQ(SendMessage(Window, WM_USER, 1, 0), 0);
    WindowMessage message;
    EXPECT_FALSE(PeekMessage(message));
    Window = nullptr;
}

TEST_F(WindowSystemTest, FullScreenScalesTheClientPictureIntoTheScreenWithBars) {
    ASSERT_TRUE(EnterFullScreen(Window));
    ASSERT_TRUE(SetFullScreenMode(Window, {1024, 768}, 32));
    const Rect viewport = GetPresentationViewport(Window);
    EXPECT_EQ(viewport.Left, 240);
    EXPECT_EQ(viewport.Top, 0);
    EXPECT_EQ(viewport.Width, 1440);
    EXPECT_EQ(viewport.Height, 1080);
    SetHeadlessCursorPos(240 + 720, 540);
    EXPECT_EQ(GetClientCursorPos(Window).X, 512) << "screen pixels map back to the picture";
    EXPECT_EQ(GetClientCursorPos(Window).Y, 384);
    SetHeadlessCursorPos(0, 0);
    EXPECT_LT(GetClientCursorPos(Window).X, 0) << "the bars lie outside the picture";
    EXPECT_FALSE(SetFullScreenMode(Window, {0, 768}, 32));
    LeaveFullScreen(Window);
    EXPECT_EQ(GetPresentationViewport(Window).Left, 0);
}

// A 1280 x 720 laptop screen cannot hold a 1024 x 768 client area.
TEST_F(WindowSystemTest, AWindowTooLargeForTheScreenIsFittedAndMapsTheMouseBack) {
    UseHeadlessScreen(1280, 720);
    SetWindowPos(Window, {128, -24, 1024, 768});
    UseTestScreen();
    const Rect bounds = GetWindowBounds(Window);
    EXPECT_EQ(bounds.Left, 160) << "centred on the screen";
    EXPECT_EQ(bounds.Top, 0);
    EXPECT_EQ(bounds.Width, 960) << "the largest 4:3 size that fits";
    EXPECT_EQ(bounds.Height, 720);
    EXPECT_EQ(GetClientSize(Window).Width, 1024) << "the program still draws 1024 x 768";
    EXPECT_EQ(GetClientSize(Window).Height, 768);
    const Rect viewport = GetPresentationViewport(Window);
    EXPECT_EQ(viewport.Width, 960);
    EXPECT_EQ(viewport.Height, 720);
    // Cell (37, 47) of the floor lies at client (600, 760) .. (615, 767): 0.9375 window pixels each.
    SetHeadlessCursorPos(160 + 564, 713);
    EXPECT_EQ(GetClientCursorPos(Window).X, 601);
    EXPECT_EQ(GetClientCursorPos(Window).Y, 760);

    SetWindowPos(Window, {100, 50, 640, 480});
    EXPECT_EQ(GetWindowBounds(Window).Width, 640) << "a window that fits stays as asked";
    EXPECT_EQ(GetWindowBounds(Window).Left, 100);
    SetHeadlessCursorPos(100 + 37, 50 + 41);
    EXPECT_EQ(GetClientCursorPos(Window).X, 37) << "one to one";
    EXPECT_EQ(GetClientCursorPos(Window).Y, 41);
}

TEST(FitCentred, KeepsTheAspectAndCentres) {
    const Rect wide = FitCentred({2560, 1080}, {1024, 768});
    EXPECT_EQ(wide.Width, 1440);
    EXPECT_EQ(wide.Left, (2560 - 1440) / 2);
    const Rect tall = FitCentred({1024, 1280}, {1024, 768});
    EXPECT_EQ(tall.Width, 1024);
    EXPECT_EQ(tall.Top, (1280 - 768) / 2);
}

// The window's place once the window manager has told its frame (the frame
// as Top, Left, Bottom, Right), and the first placement without one.
TEST(FitWithinFrame, TheWholeFrameLiesInTheUsableArea) {
    const struct {
        const char* What;
        Rect Usable;
        FrameSize Frame;
        Rect Client;
        Rect Fitted;
    } rows[] = {
        {"1366 x 768, a panel of 32 below",
         {0, 0, 1366, 736},
         {24, 1, 1, 1},
         {171, 0, 1024, 768},
         {209, 24, 948, 711}},
        {"1280 x 720, a panel of 32 below",
         {0, 0, 1280, 688},
         {24, 1, 1, 1},
         {0, 0, 1024, 768},
         {198, 24, 884, 663}},
        {"a panel on the left", {48, 0, 1232, 720}, {30, 4, 4, 4}, {0, 0, 1024, 768}, {206, 30, 915, 686}},
        {"a large screen: as asked",
         {0, 0, 1920, 1080},
         {24, 1, 1, 1},
         {448, 156, 1024, 768},
         {448, 156, 1024, 768}},
        {"out at the bottom right",
         {0, 0, 1920, 1080},
         {24, 1, 1, 1},
         {1000, 500, 1024, 768},
         {895, 311, 1024, 768}},
        {"the title bar above the screen",
         {0, 0, 1920, 1080},
         {24, 1, 1, 1},
         {0, 0, 1024, 768},
         {1, 24, 1024, 768}},
        {"no frame yet, just the size", {0, 0, 1024, 768}, {}, {100, 50, 1024, 768}, {0, 0, 1024, 768}},
        {"a frame that leaves nothing",
         {0, 0, 100, 100},
         {60, 0, 60, 0},
         {5, 5, 1024, 768},
         {5, 5, 1024, 768}},
        {"an empty client", {0, 0, 1920, 1080}, {}, {10, 10, 0, 0}, {10, 10, 1, 1}},
    };
    for (const auto& row : rows) {
        const Rect fitted = FitWithinFrame(row.Usable, row.Frame, row.Client);
        EXPECT_EQ(fitted.Left, row.Fitted.Left) << row.What;
        EXPECT_EQ(fitted.Top, row.Fitted.Top) << row.What;
        EXPECT_EQ(fitted.Width, row.Fitted.Width) << row.What;
        EXPECT_EQ(fitted.Height, row.Fitted.Height) << row.What;
    }
}

TEST(InstanceLock, ASecondHolderOfTheSameNameIsRefused) {
    const std::string name =
        "vaporel-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed());
    {
        InstanceLock first(name);
        ASSERT_TRUE(first.Held());
        InstanceLock second(name);
        EXPECT_FALSE(second.Held());
    }
    InstanceLock again(name);
    EXPECT_TRUE(again.Held()) << "released with its holder";
}

TEST(InstanceLock, AMissingRuntimeFolderFallsBackAndNoLockAtAllIsSaidAsSuch) {
    setenv("XDG_RUNTIME_DIR", "/nonexistent/run", 1);
    const std::string name = "vaporel-test-fallback-" + std::to_string(getpid());
    const std::string fallback = "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
    {
        InstanceLock first(name);
        ASSERT_TRUE(first.Held()) << first.Problem();
        EXPECT_EQ(InstanceLock(name).Result(), InstanceLock::Outcome::TakenByAnother);
    }
    std::remove(fallback.c_str());
    ASSERT_EQ(mkdir(fallback.c_str(), 0700), 0); // nothing can be locked there now
    const InstanceLock none(name);
    rmdir(fallback.c_str());
    EXPECT_EQ(none.Result(), InstanceLock::Outcome::Unavailable);
    EXPECT_NE(none.Problem().find("/nonexistent/run/" + name + ".lock"), std::string::npos) << none.Problem();
    EXPECT_NE(none.Problem().find(fallback), std::string::npos) << none.Problem();
}
