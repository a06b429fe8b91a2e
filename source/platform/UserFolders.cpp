#include "platform/UserFolders.h"

#include <cstdlib>

namespace platform {

std::optional<std::string> XdgFolderVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return std::nullopt;
    return value;
}

std::string XdgBaseFolder(const char* name, const char* defaultInHome) {
    if (std::optional<std::string> folder = XdgFolderVariable(name))
        return *folder;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/" + defaultInHome;
}

} // namespace platform
