#include "platform/InstanceLock.h"

#include "platform/UserFolders.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// The session's runtime folder first; /tmp is shared by every user, so the
// file there carries the user's id (no user can hold another's name), and a
// link planted there is never followed.
std::vector<std::string> LockFiles(const std::string& name) {
    std::vector<std::string> files;
    if (const std::optional<std::string> runtime = XdgFolderVariable("XDG_RUNTIME_DIR"))
        files.push_back(*runtime + "/" + name + ".lock");
    files.push_back("/tmp/" + name + "-" + std::to_string(getuid()) + ".lock");
    return files;
}

} // namespace

InstanceLock::InstanceLock(const std::string& name) {
    for (const std::string& path : LockFiles(name))
        if (TryFile(path))
            return;
}

// True when the outcome is settled: held here or by another process.
bool InstanceLock::TryFile(const std::string& path) {
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor >= 0 && flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
        Descriptor = descriptor;
        Result_ = Outcome::Held;
        return true;
    }
    const int error = errno;
    if (descriptor >= 0)
        close(descriptor);
    if (error == EWOULDBLOCK) {
        Result_ = Outcome::TakenByAnother;
        return true;
    }
    if (!Problem_.empty())
        Problem_ += "; ";
    Problem_ += path + ": " + std::strerror(error);
    return false;
}

InstanceLock::~InstanceLock() {
    if (Descriptor >= 0)
        close(Descriptor); // releases the lock
}

} // namespace platform
