#pragma once
// The system cursor's display counter: the cursor shows while it is 0 or more.

namespace platform {

// Raises (true) or lowers (false) the counter and answers its new value. The
// cursor of the program's windows follows when the counter crosses zero.
int ShowCursor(bool show);

// Whether the counter currently lets the cursor show.
bool CursorVisible();

} // namespace platform
