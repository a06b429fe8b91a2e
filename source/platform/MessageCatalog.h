#pragma once
// Texts for the player in the player's language, through gettext. The
// program's own texts are Japanese and are the message ids: a player who
// reads Japanese gets them as they are, every other player the English
// catalogue, whatever the locale's language (it is the one catalogue there is).

#include <string>

namespace platform {

// Whether the player's language for messages is Japanese, read from the
// environment in gettext's order: LANGUAGE's first entry, unless the locale
// is C or POSIX (gettext ignores LANGUAGE there); else the first of LC_ALL,
// LC_MESSAGES and LANG that is set. A machine without a Japanese locale
// installed still counts: the ids need none.
bool PlayerReadsJapanese();

// A gettext domain bound to a folder of catalogues
// (`folder`/<language>/LC_MESSAGES/`domain`.mo), asked in English.
class MessageCatalog {
public:
    MessageCatalog(std::string domain, const std::string& folder);

    // The English text for `id`; `id` itself when the catalogue lacks it or
    // cannot be read.
    std::string English(const char* id) const;

private:
    std::string Domain_;
};

} // namespace platform
