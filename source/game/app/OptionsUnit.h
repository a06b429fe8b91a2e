#pragma once
// The values of the options file (vaporel.ini), in its section "options":
// each a 32-bit integer, decimal or hexadecimal after "0x", any value but 0
// meaning true.

#include "platform/IniFile.h"

#include <cstdint>
#include <optional>
#include <string>

inline constexpr const char* OptionsSection = "options";

// An option's integer: decimal, or hexadecimal after "0x" or "0X" (up to eight
// digits, so "0xFFFFFFFF" is -1). A value that does not fit is no number.
std::optional<std::int32_t> ParseOptionInteger(const std::string& text);

// Reads an option as the options file stores it; a missing value or one that
// is no number gives `fallback`.
bool ReadBoolOption(const platform::IniFile& options, const std::string& key, bool fallback);
// Writes an option as 0 or 1.
void WriteBoolOption(platform::IniFile& options, const std::string& key, bool value);
