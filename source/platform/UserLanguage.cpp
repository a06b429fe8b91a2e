#include "platform/UserLanguage.h"

#include <cstdlib>
#include <string_view>

namespace platform {

namespace {

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The locale gettext uses for messages when nothing calls setlocale with it.
std::string_view MessagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = Environment(name))
            return value;
    return "C";
}

bool IsJapanese(std::string_view language) {
    // ja, ja_JP, ja_JP.UTF-8, ja@variant, an entry of LANGUAGE; not a longer code.
    return language.starts_with("ja") &&
           (language.size() == 2 || std::string_view("_.@:").find(language[2]) != std::string_view::npos);
}

} // namespace

bool PlayerReadsJapanese() {
    const std::string_view locale = MessagesLocale();
    const bool plainC = locale == "C" || locale == "POSIX";
    const char* language = Environment("LANGUAGE");
    return IsJapanese(language && !plainC ? std::string_view(language) : locale);
}

} // namespace platform
