#include "game/core/PlayerTextUnit.h"

#include "lib/Z5UtilsUnit.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <optional>

const platform::MessageCatalog* PlayerCatalogue() {
    static const std::optional<platform::MessageCatalog> japanese =
        platform::PlayerReadsJapanese()
            ? std::optional<platform::MessageCatalog>(std::in_place, MessageDomain, DataDir + MessageFolder,
                                                      JapaneseLanguage)
            : std::nullopt;
    return japanese ? &*japanese : nullptr;
}

std::string_view TextIn(const platform::MessageCatalog* catalogue, std::string_view english) {
    return catalogue ? catalogue->Translation(english) : english;
}

std::string_view PlayerText(std::string_view english) {
    return TextIn(PlayerCatalogue(), english);
}

std::string FormatText(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    va_end(arguments);
    text.pop_back();
    return text;
}
