#include "game/app/GameInputUnit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A joystick system with one stick of a given range, or none.
class TFakeJoysticks : public platform::JoystickSystem {
public:
    std::optional<platform::JoystickCaps> Stick;
    mutable std::vector<std::uint8_t> Asked;

    std::optional<platform::JoystickCaps> Capabilities(std::uint8_t id) const override {
        Asked.push_back(id);
        return Stick;
    }
};

std::vector<std::pair<std::uint32_t, std::int32_t>> Assigns(TZ5RingList& list) {
    std::vector<std::pair<std::uint32_t, std::int32_t>> entries;
    const auto e = list.GetEnumerator();
    while (e->MoveNext()) {
        const auto* assign = static_cast<const TInputAssign*>(e->GetCurrent());
        entries.emplace_back(assign->Code, assign->Button);
    }
    return entries;
}

} // namespace

TEST(Input, JoystickNumbersSelectTheFirstOrTheSecondStick) {
    TFakeJoysticks joysticks;
    TZ5Input input(0, joysticks);
    for (const std::int32_t number : {-4, 1, 2, 7})
        input.SetupJoystick(number);
    EXPECT_EQ(joysticks.Asked, (std::vector<std::uint8_t>{0, 0, 0, 1, 1}));
    EXPECT_EQ(input.JoystickId(), 1);
}

TEST(Input, CalibratesFromTheReportedAxisRange) {
    TFakeJoysticks joysticks;
    TZ5Input input(1, joysticks);
    EXPECT_FALSE(input.JoystickPresent());
    EXPECT_EQ(input.Calibration().CentreX, 0);

    joysticks.Stick = platform::JoystickCaps{-32768, 32767, 0, 65535};
    input.SetupJoystick(1);
    ASSERT_TRUE(input.JoystickPresent());
    const TJoystickCalibration& c = input.Calibration();
    EXPECT_EQ(c.HalfRangeX, 32767);
    EXPECT_EQ(c.CentreX, -1);
    EXPECT_EQ(c.DeadZoneLeft, -16384);
    EXPECT_EQ(c.DeadZoneRight, 16382);
    EXPECT_EQ(c.HalfRangeY, 32767);
    EXPECT_EQ(c.CentreY, 32767);
    EXPECT_EQ(c.DeadZoneTop, 16384);
    EXPECT_EQ(c.DeadZoneBottom, 49150);

    joysticks.Stick.reset(); // unplugged: the calibration stays
    input.SetupJoystick(1);
    EXPECT_FALSE(input.JoystickPresent());
    EXPECT_EQ(input.Calibration().CentreY, 32767);
}

TEST(Input, GameLayoutAssignsKeysAndJoystickButtonsInOrder) {
    TFakeJoysticks joysticks;
    TGameInput input(joysticks);
    using Entries = std::vector<std::pair<std::uint32_t, std::int32_t>>;
    EXPECT_EQ(Assigns(input.KeyAssigns()),
              (Entries{{37, 2}, {39, 3}, {38, 0}, {40, 1}, {100, 2}, {102, 3}, {104, 0}, {98, 1},
                       {97, 2}, {97, 1}, {99, 3}, {99, 1}, {103, 2}, {103, 0}, {105, 3}, {105, 0},
                       {90, 4}, {88, 5}, {67, 6}, {86, 7}, {66, 8},  {78, 9}}));
    EXPECT_EQ(Assigns(input.JoyButtonAssigns()), (Entries{{1, 4}, {2, 5}, {4, 6}, {8, 7}, {16, 8}, {32, 9}}));

    input.AddKeyAssign(65, 14);
    input.AddKeyAssign(65, -1);
    input.AddJoyButtonAssign(64, 14);
    EXPECT_EQ(input.KeyAssigns().Count(), 22);
    EXPECT_EQ(input.JoyButtonAssigns().Count(), 6);
    input.AddKeyAssign(65, 13);
    EXPECT_EQ(input.KeyAssigns().Count(), 23);
}

TEST(Input, StartsReleasedWithAnEmptyRecordStream) {
    TFakeJoysticks joysticks;
    TGameInput input(joysticks);
    EXPECT_FALSE(input.AnyActionHeld() || input.AnyActionPressed() || input.AnyButtonHeld() ||
                 input.AnyButtonPressed());
    for (const TInputButtonState& state : input.Buttons()) {
        EXPECT_EQ(state.FramesSincePress, 2147483647);
        EXPECT_EQ(state.FramesSinceRelease, 2147483647);
    }
    input.RecordStream().WriteByte(1);
    input.ResetRecordStream();
    EXPECT_EQ(input.RecordStream().GetSize(), 0);
    EXPECT_EQ(input.RecordStream().Capacity(), 216000);
}
