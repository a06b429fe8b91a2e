#include "platform/InstanceLock.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

std::string LockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime ? runtime : "/tmp";
}

} // namespace

InstanceLock::InstanceLock(const std::string& name) {
    const std::string path = LockFolder() + "/" + name + ".lock";
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return;
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        close(descriptor);
        return;
    }
    Descriptor = descriptor;
}

InstanceLock::~InstanceLock() {
    if (Descriptor >= 0)
        close(Descriptor); // releases the lock
}

} // namespace platform
