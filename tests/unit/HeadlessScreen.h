#pragma once
// Tests run the window layer on a virtual 1920 x 1080 screen: no display needed.

#include "platform/WindowSystem.h"

inline constexpr int TestScreenWidth = 1920;
inline constexpr int TestScreenHeight = 1080;

inline void UseTestScreen() {
    platform::UseHeadlessScreen(TestScreenWidth, TestScreenHeight);
}

// Drops whatever earlier tests left in the queue.
inline void DrainMessages() {
    platform::WindowMessage message;
    while (platform::PeekMessage(message)) {
    }
}
