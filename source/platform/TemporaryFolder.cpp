#include "platform/TemporaryFolder.h"

#include "platform/CheckedFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace platform {

TemporaryFolder::TemporaryFolder(const std::string& purpose) {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        base = "/tmp";
    const std::string pattern = (base / (purpose + "-XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        const int systemError = errno;
        throw FileError(pattern + ": cannot make a temporary folder (" + std::strerror(systemError) + ")",
                        std::strerror(systemError), systemError);
    }
    path_ = std::string(name.data()) + "/";
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace platform
