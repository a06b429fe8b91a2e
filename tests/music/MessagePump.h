#pragma once
// Waiting for what devices post from their own threads: the messages are
// dispatched as the main loop would, until the condition holds or a generous
// limit has passed.

#include "platform/WindowSystem.h"

#include <chrono>
#include <thread>

template <typename Condition> bool DispatchUntil(Condition done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        platform::WindowMessage message;
        while (platform::PeekMessage(message))
            platform::DispatchMessage(message);
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::yield();
    }
}
