#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace platform {

SharedLibrary::SharedLibrary(const std::string& path) : Handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

SharedLibrary::~SharedLibrary() {
    if (Handle != nullptr)
        dlclose(Handle);
}

void* SharedLibrary::Symbol(const char* name) const {
    return Handle != nullptr ? dlsym(Handle, name) : nullptr;
}

} // namespace platform
