#pragma once
// The engine's input object: a fixed set of logical buttons with a state record
// each, fed through two assignment lists (keyboard virtual-key codes and
// joystick button masks), plus the calibration of one joystick and a stream
// for input records. Subclasses fill the assignment lists with their layout.
//
// The state records are this object's contract with a poller: Held is true
// while the button is down, Pressed only in the frame it went down; the counts
// and the frames since the last change are kept per button. Nothing in the game
// polls the object yet, so after a reset they keep their reset values.

#include "lib/Z5RingListUnit.h"
#include "lib/Z5StreamUnit.h"
#include "platform/Joystick.h"

#include <array>
#include <cstdint>
#include <limits>

inline constexpr std::int32_t ButtonCount = 14;

struct TInputButtonState {
    static constexpr std::int32_t Never = std::numeric_limits<std::int32_t>::max();

    bool Held = false;
    bool Pressed = false;
    std::int32_t PressCount = 0;
    std::int32_t ReleaseCount = 0;
    std::int32_t FramesSincePress = Never;   // frames
    std::int32_t FramesSinceRelease = Never; // frames
};

// The eight directions a stick or a pair of direction buttons can point to.
enum TInputDirection : std::uint8_t {
    idUp,
    idUpRight,
    idRight,
    idDownRight,
    idDown,
    idDownLeft,
    idLeft,
    idUpLeft
};
inline constexpr std::size_t DirectionCount = 8;

// One entry of an assignment list: a virtual-key code or a joystick button mask
// that drives a logical button.
struct TInputAssign {
    std::uint32_t Code = 0;
    std::int32_t Button = 0;
};

// Axis centres and a dead zone around them, in the units the axes report.
struct TJoystickCalibration {
    std::int32_t HalfRangeX = 0;
    std::int32_t HalfRangeY = 0;
    std::int32_t CentreX = 0;
    std::int32_t CentreY = 0;
    std::int32_t DeadZoneLeft = 0;
    std::int32_t DeadZoneTop = 0;
    std::int32_t DeadZoneRight = 0;
    std::int32_t DeadZoneBottom = 0;
};

class TZ5Input {
public:
    static constexpr std::int32_t DefaultMaxJoystickNumber = 2;
    static constexpr std::int32_t RecordStreamCapacity = 216000; // bytes reserved by ResetRecordStream
    static constexpr std::int32_t FirstActionButton = 4;

    // Selects joystick `joystickNumber` (1 the first; clamped to 1..2) and asks
    // `joysticks` for its capabilities.
    explicit TZ5Input(std::int32_t joystickNumber,
                      const platform::JoystickSystem& joysticks = platform::SystemJoysticks());
    virtual ~TZ5Input();
    TZ5Input(const TZ5Input&) = delete;
    TZ5Input& operator=(const TZ5Input&) = delete;

    // Empties the record stream, releasing its memory, then reserves RecordStreamCapacity bytes.
    virtual void ResetRecordStream();
    // Selects and calibrates a joystick as the constructor does, then ResetStates.
    virtual void SetupJoystick(std::int32_t joystickNumber);
    void ResetStates();

    // Each entry is its own: one code may drive several buttons. A button
    // outside 0..ButtonCount-1 is ignored.
    void AddKeyAssign(std::uint32_t keyCode, std::int32_t button);
    void AddJoyButtonAssign(std::uint32_t buttonMask, std::int32_t button);
    // Empties both assignment lists, releasing their entries.
    void ClearAssigns();

    // Whether any action button (4 and up), or any button at all, is held or pressed.
    virtual bool AnyActionHeld() const;
    virtual bool AnyActionPressed() const;
    virtual bool AnyButtonPressed() const;
    virtual bool AnyButtonHeld() const;

    const std::array<TInputButtonState, ButtonCount>& Buttons() const { return Buttons_; }
    const std::array<TInputButtonState, DirectionCount>& Directions() const { return Directions_; }
    // Lists of TInputAssign, in the order they were added.
    TZ5RingList& KeyAssigns() { return KeyAssigns_; }
    TZ5RingList& JoyButtonAssigns() { return JoyButtonAssigns_; }
    TZ5MemoryStream& RecordStream() { return *RecordStream_; }

    std::int32_t MaxJoystickNumber() const { return MaxJoystickNumber_; }
    // 0 for the first joystick, 1 for the second.
    std::uint8_t JoystickId() const { return JoystickId_; }
    bool JoystickPresent() const { return JoystickPresent_; }
    // Zero until a joystick has been found; kept when it goes away.
    const TJoystickCalibration& Calibration() const { return Calibration_; }

private:
    bool AnyButton(std::int32_t first, bool TInputButtonState::*flag) const;

    std::array<TInputButtonState, ButtonCount> Buttons_{};
    std::array<TInputButtonState, DirectionCount> Directions_{};
    std::int32_t MaxJoystickNumber_ = DefaultMaxJoystickNumber;
    std::uint8_t JoystickId_ = 0;
    TJoystickCalibration Calibration_{};
    TZ5RingList KeyAssigns_;
    TZ5RingList JoyButtonAssigns_;
    std::unique_ptr<TZ5MemoryStream> RecordStream_;
    bool JoystickPresent_ = false;
    const platform::JoystickSystem& Joysticks;
};

// The calibration of an axis range reported as platform::JoystickCaps: the
// half ranges (unsigned halving of max - min), the centres, and a dead zone of
// half the half range on either side of each centre.
TJoystickCalibration CalibrateJoystick(const platform::JoystickCaps& caps);
