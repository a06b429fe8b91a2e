#pragma once
// An error's text as the player reads it, in the message box and on standard
// error: the program's Japanese texts in it become English unless the player
// reads Japanese. The log keeps the Japanese texts, so that what reads the
// log keeps working.

#include <string>

namespace platform {
class MessageCatalog;
}

// The gettext domain of the game's messages; its catalogues lie in the
// folder "locale" of the data folder (beside the program in a build).
inline constexpr const char* MessageDomain = "vaporel";
inline constexpr const char* MessageFolder = "locale";

// `message` for the player of this environment's language, with the
// catalogue of the data folder.
std::string PlayerMessage(const std::string& message);

// `message` with every Japanese text of the program in it replaced by its
// English translation from `catalogue`. A message is built from texts and
// names (a file name, a key, a system error), so each text is found where it
// stands; the longest text that matches at a place wins.
std::string EnglishMessage(const std::string& message, const platform::MessageCatalog& catalogue);
