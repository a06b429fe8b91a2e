#include "game/app/OptionsUnit.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

std::optional<std::int32_t> ParseOptionInteger(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    if (*digits == '\0')
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    if (hex && value >= 0 && value <= std::numeric_limits<std::uint32_t>::max())
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (!hex && value >= std::numeric_limits<std::int32_t>::min() &&
        value <= std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(value);
    return std::nullopt;
}

bool ReadBoolOption(const platform::IniFile& options, const std::string& key, bool fallback) {
    const std::optional<std::string> text = options.Read(OptionsSection, key);
    if (!text)
        return fallback;
    const std::optional<std::int32_t> value = ParseOptionInteger(*text);
    return value ? *value != 0 : fallback;
}

void WriteBoolOption(platform::IniFile& options, const std::string& key, bool value) {
    options.Write(OptionsSection, key, value ? "1" : "0");
}
