#pragma once
// A system-wide named lock: the first process to take a name holds it until it
// exits (the kernel releases it, also after a crash); others see it taken.

#include <string>

namespace platform {

class InstanceLock {
public:
    // Tries to take "$XDG_RUNTIME_DIR/<name>.lock" (else "/tmp/<name>.lock").
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool Held() const { return Descriptor >= 0; }

private:
    int Descriptor = -1;
};

} // namespace platform
