#pragma once
// The user's base folders as the XDG base-folder rules give them: a variable
// holds a folder only when it is an absolute path. A relative value (empty,
// or "state") is ignored, so that a program started from its own folder never
// takes that folder for the user's.

#include <optional>
#include <string>

namespace platform {

// The variable's value when it is an absolute path; nothing otherwise.
std::optional<std::string> XdgFolderVariable(const char* name);

// The variable's folder, else "$HOME/" + `defaultInHome` (".config").
std::string XdgBaseFolder(const char* name, const char* defaultInHome);

} // namespace platform
