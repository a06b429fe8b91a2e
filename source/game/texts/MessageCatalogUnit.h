#pragma once
// One language's compiled gettext catalogue (a `.mo` file), read into memory
// once: the texts of the message ids it holds. A lookup reads only the
// catalogue: it never touches the environment or the locale, which other
// threads (sound, music, water) may read meanwhile.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

class TMessageCatalog {
public:
    // Reads the catalogue `fileName`; throws platform::FileError naming the
    // file and what is wrong (missing, not a catalogue, cut short).
    explicit TMessageCatalog(const std::string& fileName);

    // The catalogue's text for `id`, or `id` itself when it lacks one; valid
    // as long as the catalogue and `id`. Allocates nothing.
    std::string_view Text(std::string_view id) const;

private:
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> Texts_;
};
