#include "platform/web/RealText.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::web {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Past the digits from `at`, at most up to `last`.
const char* SkipDigits(const char* at, const char* last) {
    while (at < last && IsDigit(*at))
        ++at;
    return at;
}

// Whether [at, last) begins with `word`, in any case.
bool StartsWithWord(const char* at, const char* last, const char* word) {
    const std::size_t length = std::strlen(word);
    if (static_cast<std::size_t>(last - at) < length)
        return false;
    for (std::size_t i = 0; i < length; ++i)
        if ((at[i] | 0x20) != word[i])
            return false;
    return true;
}

// The end of the longest number at `at` (after any minus sign) in the form
// `format` allows, or `at` when there is none.
const char* ScanDecimal(const char* at, const char* last, std::chars_format format) {
    const char* digits = at;
    const char* end = SkipDigits(at, last);
    bool any = end > digits;
    if (end < last && *end == '.') {
        const char* fraction = SkipDigits(end + 1, last);
        any = any || fraction > end + 1;
        end = fraction;
    }
    if (!any)
        return at;
    const bool mayExponent =
        (static_cast<int>(format) & static_cast<int>(std::chars_format::scientific)) != 0;
    const bool mustExponent = format == std::chars_format::scientific;
    if (mayExponent && end < last && (*end == 'e' || *end == 'E')) {
        const char* sign = end + 1;
        if (sign < last && (*sign == '+' || *sign == '-'))
            ++sign;
        const char* exponent = SkipDigits(sign, last);
        if (exponent > sign)
            return exponent;
    }
    return mustExponent ? at : end;
}

const char* ScanSpecial(const char* at, const char* last) {
    if (StartsWithWord(at, last, "infinity"))
        return at + 8;
    if (StartsWithWord(at, last, "inf"))
        return at + 3;
    if (!StartsWithWord(at, last, "nan"))
        return at;
    const char* end = at + 3;
    if (end < last && *end == '(') {
        const char* inside = end + 1;
        while (inside < last && (std::isalnum(static_cast<unsigned char>(*inside)) || *inside == '_'))
            ++inside;
        if (inside < last && *inside == ')')
            return inside + 1;
    }
    return end;
}

// The shortest digits that read back as `value` (finite, not negative), in
// printf's %e form.
std::string ShortestScientific(double value) {
    char text[40];
    for (int precision = 0;; ++precision) {
        std::snprintf(text, sizeof text, "%.*e", precision, value);
        if (std::strtod(text, nullptr) == value || precision >= 17)
            return text;
    }
}

// %e text "d.ddde+XX" (or e-XX) as its digits and decimal exponent.
void SplitScientific(const std::string& text, std::string& digits, int& exponent) {
    const std::size_t e = text.find('e');
    digits.clear();
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    exponent = std::atoi(text.c_str() + e + 1);
}

// A whole number longer than its shortest digits is written with its exact
// digits, the fixed text nearest to it.
std::string FixedForm(double value, const std::string& digits, int exponent) {
    const int count = static_cast<int>(digits.size());
    if (exponent < 0)
        return "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    if (exponent + 1 >= count) {
        char text[320];
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    return digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
           digits.substr(static_cast<std::size_t>(exponent + 1));
}

} // namespace

std::string ShortestRealText(double value) {
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    const std::string sign = std::signbit(value) ? "-" : "";
    if (std::isinf(value))
        return sign + "inf";
    if (value == 0)
        return sign + "0";
    const std::string scientific = ShortestScientific(std::fabs(value));
    std::string digits;
    int exponent = 0;
    SplitScientific(scientific, digits, exponent);
    const std::string fixed = FixedForm(std::fabs(value), digits, exponent);
    // The standard's choice: the shorter form, the fixed one on a tie.
    return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

std::from_chars_result ReadReal(const char* first, const char* last, double& value,
                                std::chars_format format) {
    const char* at = first < last && *first == '-' ? first + 1 : first;
    const char* end = ScanSpecial(at, last);
    if (end == at)
        end = ScanDecimal(at, last, format);
    if (end == at)
        return {first, std::errc::invalid_argument};
    const std::string text(first, end);
    errno = 0;
    const double read = std::strtod(text.c_str(), nullptr);
    // Too large, or too small to be anything but zero; a subnormal result is
    // a number all the same.
    if (errno == ERANGE && (std::isinf(read) || read == 0))
        return {end, std::errc::result_out_of_range};
    value = read;
    return {end, std::errc()};
}

} // namespace platform::web
