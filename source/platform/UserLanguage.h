#pragma once
// The language the system gives the player's messages, as its environment
// says it. Which texts the game then shows is the game's to decide.

namespace platform {

// Whether the player's language for messages is Japanese, read from the
// environment in gettext's order: LANGUAGE's first entry, unless the locale
// is C or POSIX (gettext ignores LANGUAGE there); else the first of LC_ALL,
// LC_MESSAGES and LANG that is set. A machine without a Japanese locale
// installed still counts: the game's catalogues need none. Only reads the
// environment, which other threads (sound, music, water) may read meanwhile.
bool PlayerReadsJapanese();

} // namespace platform
