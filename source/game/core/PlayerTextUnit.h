#pragma once
// The texts the game shows the player, in the player's language. Two
// catalogues of one gettext domain translate each other's texts: the
// program's own messages are Japanese and po/en.po gives their English (see
// game/app/PlayerMessageUnit); the texts of the screen are written in English
// in the code and po/ja.po gives their Japanese. A player who reads Japanese
// sees only Japanese, every other player only English.

#include "platform/MessageCatalog.h"

#include <string>
#include <string_view>

// The gettext domain of the game's texts; its catalogues lie in the folder
// "locale" of the data folder (beside the program in a build).
inline constexpr const char* MessageDomain = "vaporel";
inline constexpr const char* MessageFolder = "locale";
inline constexpr const char* JapaneseLanguage = "ja";

// Marks an English text for the screen where it is written down, so that the
// catalogue's test finds it (the test reads the literals that calls of TextId
// and PlayerText are given in the sources); it is the text itself.
constexpr std::string_view TextId(std::string_view english) {
    return english;
}

// The catalogue of the player's language for the screen's texts: Japanese
// when the environment says the player reads Japanese, read once from the
// data folder on first use; none (the texts as written) otherwise.
const platform::MessageCatalog* PlayerCatalogue();

// `english` in the player's language. Allocates nothing: the view lies in the
// catalogue, or is `english` itself, so it ends in a NUL wherever `english` does.
std::string_view PlayerText(std::string_view english);
// The same with `catalogue` (none: the text as written).
std::string_view TextIn(const platform::MessageCatalog* catalogue, std::string_view english);

// printf into a string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The printf `format` in the player's language, filled in. A translation keeps
// the format's conversions in their order (the catalogue's test checks it).
template <typename... Arguments> std::string PlayerFormat(std::string_view format, Arguments... arguments) {
    const std::string translated(PlayerText(format)); // a view need not end in a NUL
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    return FormatText(translated.c_str(), arguments...);
#pragma GCC diagnostic pop
}
