#include "game/core/KeyStateUnit.h"

#include "platform/WindowSystem.h"

bool IsKeyDown(std::int32_t virtualKey) {
    return platform::GetKeyState(virtualKey) < 0;
}
