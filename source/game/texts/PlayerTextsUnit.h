#pragma once
// The texts the player reads, in the player's language: the one place the
// game asks for them. Every text is asked for by its message id, and one
// catalogue, that of the player's language, turns the id into the text; an
// id the catalogue lacks is its own text. The texts of the screen are written
// in English in the code (marked with TextId), so po/ja.po gives their
// Japanese; the program's error texts are Japanese, so po/en.po gives their
// English. The log records the ids as raised. A player who reads Japanese
// sees only Japanese, every other player only English.

#include "game/texts/MessageCatalogUnit.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The gettext domain of the game's texts; its catalogues lie in the folder
// "locale" of the data folder (beside the program in a build).
inline constexpr const char* MessageDomain = "vaporel";
inline constexpr const char* MessageFolder = "locale";
inline constexpr const char* EnglishLanguage = "en";
inline constexpr const char* JapaneseLanguage = "ja";

// Marks an English text for the screen where it is written down, so that the
// catalogue's test finds it (the test reads the literals that calls of TextId
// and PlayerText are given in the sources); it is the text itself.
constexpr std::string_view TextId(std::string_view english) {
    return english;
}

// Said before the window failure when there is no display to open a window on.
inline constexpr std::string_view NoDisplayText = TextId(
    "No display was found: the game needs a running X11 or Wayland desktop (DISPLAY or WAYLAND_DISPLAY).");

// The texts of one language, from the catalogues of a folder.
class TPlayerTexts {
public:
    // The texts of `language` (JapaneseLanguage or EnglishLanguage) from
    // `folder`/<language>/LC_MESSAGES/vaporel.mo. Where the Japanese
    // catalogue cannot be read the texts are English, so that a screen never
    // mixes the two; where no catalogue can be read, every id is its text.
    // Faults() says what could not be read.
    TPlayerTexts(const std::string& folder, std::string_view language);

    // The language the texts are in.
    std::string_view Language() const { return Language_; }
    // The text for `id`. Allocates nothing: the view lies in the catalogue, or
    // is `id` itself, so it ends in a NUL wherever `id` does.
    std::string_view Text(std::string_view id) const;
    // An error's `message` with each of the program's texts in it, where it
    // stands, in this language. A message is built from texts and names (a
    // file name, a key, a system error): the names stay as they are.
    std::string Message(const std::string& message) const;
    // One line for each catalogue that could not be read, naming its file and
    // what is wrong with it; empty when all went well.
    const std::vector<std::string>& Faults() const { return Faults_; }

private:
    bool Read(const std::string& folder, std::string_view language);

    std::optional<TMessageCatalog> Catalogue_;
    std::string Language_;
    std::vector<std::string> Faults_;
};

// The player's texts: the language the environment names, read once from the
// data folder on first use.
const TPlayerTexts& PlayerTexts();

// `id` in the player's language (PlayerTexts().Text).
std::string_view PlayerText(std::string_view id);
// An error's message in the player's language (PlayerTexts().Message).
std::string PlayerMessage(const std::string& message);

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

// A line of text with numbers in it, in a buffer of its own: drawing it every
// frame allocates nothing.
struct TPlayerLine {
    std::array<char, 256> Text{}; // room for a Japanese line, three bytes a letter
    std::string_view View() const { return Text.data(); }
};

// The printf `format` (a literal marked with TextId) in the player's language,
// filled in without allocating; a line longer than the buffer is cut.
template <typename... Values> TPlayerLine PlayerLine(std::string_view format, Values... values) {
    TPlayerLine line;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    // The format is a literal or a catalogue text: it ends in a NUL.
    std::snprintf(line.Text.data(), line.Text.size(), PlayerText(format).data(), values...);
#pragma GCC diagnostic pop
    return line;
}
