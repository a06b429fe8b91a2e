#pragma once
// The browser's C++ library (emscripten's libc++) declares std::to_chars and
// std::from_chars for integers only. The browser build includes this header
// in every unit, so the code that reads and writes real numbers compiles
// unchanged there: the two overloads for double that the game uses, with the
// standard's meaning (shortest round-trip text; the C locale's decimal form).

#include <charconv>

namespace std {

to_chars_result to_chars(char* first, char* last, double value);
from_chars_result from_chars(const char* first, const char* last, double& value,
                             chars_format format = chars_format::general);

} // namespace std
