#pragma once
// A system-wide named lock: the first process to take a name holds it until it
// exits (the kernel releases it, also after a crash); others see it taken.

#include <string>

namespace platform {

class InstanceLock {
public:
    enum class Outcome {
        Held,           // this process holds the name
        TakenByAnother, // another process holds it
        Unavailable,    // no lock file could be made or locked anywhere
    };

    // Takes "$XDG_RUNTIME_DIR/<name>.lock"; when that folder is unset or the
    // file cannot be made there (a folder that does not exist), the user's own
    // "/tmp/<name>-<uid>.lock".
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Outcome Result() const { return Result_; }
    bool Held() const { return Result_ == Outcome::Held; }
    // Why the lock is Unavailable: each file tried and what went wrong.
    const std::string& Problem() const { return Problem_; }

private:
    bool TryFile(const std::string& path);

    int Descriptor = -1;
    Outcome Result_ = Outcome::Unavailable;
    std::string Problem_;
};

} // namespace platform
