#pragma once
// Real numbers as text the way std::to_chars and std::from_chars do it for
// double, for a C++ library that lacks those (CharConvReals.h): the shortest
// text that reads back as the same number, fixed or scientific, whichever is
// shorter; and reading the C locale's decimal form.

#include <charconv>
#include <string>

namespace platform::web {

std::string ShortestRealText(double value);

// Reads the longest real number at `first` that `format` allows, as
// std::from_chars does: `value` changes only on success.
std::from_chars_result ReadReal(const char* first, const char* last, double& value,
                                std::chars_format format = std::chars_format::general);

} // namespace platform::web
