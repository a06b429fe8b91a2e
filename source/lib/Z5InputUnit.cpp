#include "lib/Z5InputUnit.h"

#include <algorithm>

namespace {

// Sums are worked out in 64 bits and wrap into 32 as the axis registers do,
// so that any reported range, however odd, gives a defined calibration.
std::int32_t Wrap(std::int64_t value) {
    return static_cast<std::int32_t>(value);
}

std::int32_t HalfRange(std::int32_t min, std::int32_t max) {
    return Wrap((static_cast<std::uint32_t>(max) - static_cast<std::uint32_t>(min)) >> 1);
}

} // namespace

TJoystickCalibration CalibrateJoystick(const platform::JoystickCaps& caps) {
    TJoystickCalibration c;
    c.HalfRangeX = HalfRange(caps.XMin, caps.XMax);
    c.HalfRangeY = HalfRange(caps.YMin, caps.YMax);
    c.CentreX = Wrap(std::int64_t{c.HalfRangeX} + caps.XMin);
    c.CentreY = Wrap(std::int64_t{c.HalfRangeY} + caps.YMin);
    c.DeadZoneLeft = Wrap(std::int64_t{c.CentreX} - c.HalfRangeX / 2);
    c.DeadZoneRight = Wrap(std::int64_t{c.CentreX} + c.HalfRangeX / 2);
    c.DeadZoneTop = Wrap(std::int64_t{c.CentreY} - c.HalfRangeY / 2);
    c.DeadZoneBottom = Wrap(std::int64_t{c.CentreY} + c.HalfRangeY / 2);
    return c;
}

TZ5Input::TZ5Input(std::int32_t joystickNumber, const platform::JoystickSystem& joysticks)
    : RecordStream_(std::make_unique<TZ5MemoryStream>()), Joysticks(joysticks) {
    SetupJoystick(joystickNumber);
}

TZ5Input::~TZ5Input() {
    ClearAssigns();
}

void TZ5Input::ResetRecordStream() {
    RecordStream_->Clear();
    RecordStream_->SetCapacity(RecordStreamCapacity);
}

void TZ5Input::SetupJoystick(std::int32_t joystickNumber) {
    JoystickId_ = static_cast<std::uint8_t>(std::clamp(joystickNumber, 1, MaxJoystickNumber_) - 1);
    const std::optional<platform::JoystickCaps> caps = Joysticks.Capabilities(JoystickId_);
    JoystickPresent_ = caps.has_value();
    if (caps)
        Calibration_ = CalibrateJoystick(*caps);
    ResetStates();
}

void TZ5Input::ResetStates() {
    Buttons_.fill(TInputButtonState{});
    Directions_.fill(TInputButtonState{});
}

void TZ5Input::AddKeyAssign(std::uint32_t keyCode, std::int32_t button) {
    if (button >= 0 && button < ButtonCount)
        KeyAssigns_.Add(new TInputAssign{keyCode, button});
}

void TZ5Input::AddJoyButtonAssign(std::uint32_t buttonMask, std::int32_t button) {
    if (button >= 0 && button < ButtonCount)
        JoyButtonAssigns_.Add(new TInputAssign{buttonMask, button});
}

void TZ5Input::ClearAssigns() {
    KeyAssigns_.ClearAndFreeMem<TInputAssign>();
    JoyButtonAssigns_.ClearAndFreeMem<TInputAssign>();
}

bool TZ5Input::AnyActionHeld() const {
    return AnyButton(FirstActionButton, &TInputButtonState::Held);
}

bool TZ5Input::AnyActionPressed() const {
    return AnyButton(FirstActionButton, &TInputButtonState::Pressed);
}

bool TZ5Input::AnyButtonPressed() const {
    return AnyButton(0, &TInputButtonState::Pressed);
}

bool TZ5Input::AnyButtonHeld() const {
    return AnyButton(0, &TInputButtonState::Held);
}

bool TZ5Input::AnyButton(std::int32_t first, bool TInputButtonState::*flag) const {
    return std::any_of(Buttons_.begin() + first, Buttons_.end(),
                       [flag](const TInputButtonState& state) { return state.*flag; });
}
