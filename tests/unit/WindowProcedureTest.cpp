#include "HeadlessScreen.h"
#include "lib/Z5WindowProcedureUnit.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace platform;

namespace {

// A handler that answers WM_USER with wParam + 1 and passes everything else on.
struct RecordingOwner {
    std::vector<std::uint32_t> Seen;
    std::unique_ptr<TZ5WindowProcedure> Window;

    RecordingOwner() {
        Window = std::make_unique<TZ5WindowProcedure>([this](TMessageRecord& message) {
            Seen.push_back(message.Msg);
            if (message.Msg == WM_USER)
                message.Result = static_cast<MessageResult>(message.WParam + 1);
            else
                Window->DefaultHandler(message);
        });
    }
};

} // namespace

TEST(Z5WindowProcedure, OnlyMessagesBetweenCreationAndDestructionReachTheHandler) {
    UseTestScreen();
    RecordingOwner owner;
    ASSERT_NE(owner.Window->Handle(), nullptr);
    EXPECT_TRUE(owner.Seen.empty()) << "WM_CREATE comes before the handler is bound";
    EXPECT_EQ(SendMessage(owner.Window->Handle(), WM_USER, 41, 0), 42)
        << "the handler's result is the answer";
    EXPECT_EQ(SendMessage(owner.Window->Handle(), WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(owner.Window->Handle())) << "WM_CLOSE went on to default processing";
    EXPECT_EQ(owner.Seen, (std::vector<std::uint32_t>{WM_USER, WM_CLOSE, WM_DESTROY}));

    RecordingOwner second;
    const WindowHandle handle = second.Window->Handle();
    ASSERT_NE(handle, nullptr) << "the class the first object registered serves the second";
    second.Window.reset();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_TRUE(second.Seen.empty()) << "WM_DESTROY comes after the handler is unbound";
}
