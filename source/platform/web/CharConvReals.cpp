#include "platform/web/CharConvReals.h"

#include "platform/web/RealText.h"

#include <cstring>

namespace std {

to_chars_result to_chars(char* first, char* last, double value) {
    const string text = platform::web::ShortestRealText(value);
    if (static_cast<size_t>(last - first) < text.size())
        return {last, errc::value_too_large};
    memcpy(first, text.data(), text.size());
    return {first + text.size(), errc()};
}

from_chars_result from_chars(const char* first, const char* last, double& value, chars_format format) {
    return platform::web::ReadReal(first, last, value, format);
}

} // namespace std
