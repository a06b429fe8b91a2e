#include "platform/MessageCatalog.h"

#include <clocale>
#include <cstdlib>
#include <libintl.h>
#include <locale.h>
#include <optional>
#include <string_view>
#include <utility>

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

// For the life of the object this thread's gettext reads the English
// catalogue: gettext takes LANGUAGE before the locale's own language, except
// under the C locale, so messages are switched to C.UTF-8 (which every
// glibc system has) and LANGUAGE to "en".
class EnglishLookup {
public:
    EnglishLookup() {
        if (const char* language = std::getenv("LANGUAGE"))
            SavedLanguage_ = language;
        ::setenv("LANGUAGE", "en", 1);
        Locale_ = ::newlocale(LC_MESSAGES_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (Locale_)
            Previous_ = ::uselocale(Locale_);
    }
    ~EnglishLookup() {
        if (Locale_) {
            ::uselocale(Previous_);
            ::freelocale(Locale_);
        }
        if (SavedLanguage_)
            ::setenv("LANGUAGE", SavedLanguage_->c_str(), 1);
        else
            ::unsetenv("LANGUAGE");
    }
    EnglishLookup(const EnglishLookup&) = delete;
    EnglishLookup& operator=(const EnglishLookup&) = delete;

private:
    std::optional<std::string> SavedLanguage_;
    locale_t Locale_ = nullptr;
    locale_t Previous_ = nullptr;
};

} // namespace

bool PlayerReadsJapanese() {
    const std::string_view locale = MessagesLocale();
    const bool plainC = locale == "C" || locale == "POSIX";
    const char* language = Environment("LANGUAGE");
    return IsJapanese(language && !plainC ? std::string_view(language) : locale);
}

MessageCatalog::MessageCatalog(std::string domain, const std::string& folder) : Domain_(std::move(domain)) {
    ::bindtextdomain(Domain_.c_str(), folder.c_str());
    ::bind_textdomain_codeset(Domain_.c_str(), "UTF-8");
}

std::string MessageCatalog::English(const char* id) const {
    const EnglishLookup english;
    return ::dgettext(Domain_.c_str(), id);
}

} // namespace platform
