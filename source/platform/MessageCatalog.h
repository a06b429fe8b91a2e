#pragma once
// Texts for the player in the player's language, from gettext catalogues: the
// English one gives the program's Japanese texts in English, the Japanese one
// the screen's English texts in Japanese. Whether the player reads Japanese
// is the environment's to say; every other player reads English.

#include <string>
#include <string_view>
#include <unordered_map>

namespace platform {

// Whether the player's language for messages is Japanese, read from the
// environment in gettext's order: LANGUAGE's first entry, unless the locale
// is C or POSIX (gettext ignores LANGUAGE there); else the first of LC_ALL,
// LC_MESSAGES and LANG that is set. A machine without a Japanese locale
// installed still counts: the ids need none.
bool PlayerReadsJapanese();

// One language's catalogue of a domain, a compiled gettext catalogue
// (`folder`/`language`/LC_MESSAGES/`domain`.mo) read into memory: English by
// default. The lookup reads only the catalogue: it never touches the
// environment or the locale, which other threads (sound, music, water) may
// read meanwhile.
class MessageCatalog {
public:
    // A catalogue that is missing or damaged gives an empty one.
    MessageCatalog(const std::string& domain, const std::string& folder, const std::string& language = "en");

    // The English text for `id`; `id` itself when the catalogue lacks it.
    std::string English(const char* id) const { return std::string(Translation(id)); }
    // The catalogue's text for `id`, or `id` itself when it lacks one; valid
    // as long as the catalogue and `id`. Allocates nothing.
    std::string_view Translation(std::string_view id) const;

private:
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> Texts_;
};

} // namespace platform
