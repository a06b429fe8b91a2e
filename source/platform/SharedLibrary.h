#pragma once
// A shared library opened at run time and looked up entry point by entry
// point. The library stays loaded as long as its owner lives.

#include <string>

namespace platform {

class SharedLibrary {
public:
    // Opens `path` (a bare name searches the system's library path). A library
    // that cannot be opened leaves the object empty: IsOpen answers false.
    explicit SharedLibrary(const std::string& path);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool IsOpen() const { return Handle != nullptr; }
    // The entry point called `name`, or null when the library lacks it.
    void* Symbol(const char* name) const;

private:
    void* Handle;
};

// Looks entry points up one by one and remembers whether any was missing.
// A name that is not found leaves its slot null.
class EntryPointBinder {
public:
    explicit EntryPointBinder(const SharedLibrary& library) : Library(library) {}

    template <typename Function> void Bind(Function*& slot, const char* name) {
        slot = reinterpret_cast<Function*>(Library.Symbol(name));
        if (slot == nullptr)
            Complete = false;
    }
    bool AllFound() const { return Complete; }

private:
    const SharedLibrary& Library;
    bool Complete = true;
};

} // namespace platform
