#pragma once
// An error's text as the player reads it, in the message box and on standard
// error: the program's Japanese texts in it become English unless the player
// reads Japanese, and its English texts Japanese when the player does. The
// log keeps the texts as raised, so that what reads the log keeps working.

#include "game/core/PlayerTextUnit.h"

#include <string>

namespace platform {
class MessageCatalog;
}

// `message` for the player of this environment's language, with the
// catalogue of the data folder.
std::string PlayerMessage(const std::string& message);

// A failure as a notice: `message` is logged as an error, and the notice is
// `lead` (a format that says what failed, with one %s) in the player's
// language with the message for the player in it.
std::string FailureNotice(std::string_view lead, const std::string& message);

// `message` with every Japanese text of the program in it replaced by its
// English translation from `catalogue`. A message is built from texts and
// names (a file name, a key, a system error), so each text is found where it
// stands; the longest text that matches at a place wins.
std::string EnglishMessage(const std::string& message, const platform::MessageCatalog& catalogue);
// `message` with every English text of the program's messages in it replaced
// by its Japanese translation from `catalogue`, in the same way.
std::string JapaneseMessage(const std::string& message, const platform::MessageCatalog& catalogue);
