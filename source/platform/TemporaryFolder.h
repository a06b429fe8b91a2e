#pragma once
// A folder of the program's own under the system's temporary folder
// ($TMPDIR, else /tmp), made with a name no one else has, and removed with
// everything in it when the object goes.

#include <string>

namespace platform {

class TemporaryFolder {
public:
    // `purpose` starts the folder's name ("vaporel-proof"); raises FileError
    // when no folder can be made.
    explicit TemporaryFolder(const std::string& purpose);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // The folder's path, ending in '/'.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace platform
