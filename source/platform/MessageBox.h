#pragma once

#include <string>

namespace platform {

// Shows a modal error box with no owner window and returns when it is closed.
// Where no box can be shown (no display), the text goes to standard error.
void ShowErrorBox(const std::string& caption, const std::string& text);

} // namespace platform
