#pragma once

#include <string>

namespace platform {

// Shows a modal error box with no owner window and returns when it is closed.
// Where no box can be shown (no display), the text goes to standard error.
// A quit request (SIGTERM, SIGINT, SIGHUP; one ignored since the start stays
// ignored) while the box is open closes it, and the call returns as if the
// player had closed it: the program is on its way out after an error box, so
// the handlers stay for the rest of the run, and a later request only lets
// the exit go on.
void ShowErrorBox(const std::string& caption, const std::string& text);

} // namespace platform
