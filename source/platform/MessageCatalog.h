#pragma once
// Texts for the player in the player's language, from gettext catalogues. The
// program's own texts are Japanese and are the message ids: a player who
// reads Japanese gets them as they are, every other player the English
// catalogue, whatever the locale's language (it is the one catalogue there is).

#include <string>
#include <unordered_map>

namespace platform {

// Whether the player's language for messages is Japanese, read from the
// environment in gettext's order: LANGUAGE's first entry, unless the locale
// is C or POSIX (gettext ignores LANGUAGE there); else the first of LC_ALL,
// LC_MESSAGES and LANG that is set. A machine without a Japanese locale
// installed still counts: the ids need none.
bool PlayerReadsJapanese();

// The English catalogue of a domain, a compiled gettext catalogue
// (`folder`/en/LC_MESSAGES/`domain`.mo) read into memory. The lookup reads
// only the catalogue: it never touches the environment or the locale, which
// other threads (sound, music, water) may read meanwhile.
class MessageCatalog {
public:
    // A catalogue that is missing or damaged gives an empty one.
    MessageCatalog(const std::string& domain, const std::string& folder);

    // The English text for `id`; `id` itself when the catalogue lacks it.
    std::string English(const char* id) const;

private:
    std::unordered_map<std::string, std::string> Texts_;
};

} // namespace platform
