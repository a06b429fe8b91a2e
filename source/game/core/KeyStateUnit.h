#pragma once
// Whether a key is held, as of the message last taken from the queue.

#include <cstdint>

// True while the key with this virtual-key code is down.
bool IsKeyDown(std::int32_t virtualKey);
