#include "platform/MessageCatalog.h"

#include "platform/CheckedFile.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace platform {

namespace {

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The locale gettext uses for messages when nothing calls setlocale with it.
std::string_view MessagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = Environment(name))
            return value;
    return "C";
}

bool IsJapanese(std::string_view language) {
    // ja, ja_JP, ja_JP.UTF-8, ja@variant, an entry of LANGUAGE; not a longer code.
    return language.starts_with("ja") &&
           (language.size() == 2 || std::string_view("_.@:").find(language[2]) != std::string_view::npos);
}

// A compiled catalogue: a header of 32-bit words (magic, revision, count,
// offset of the ids' table, offset of the texts' table), each table holding
// a length and an offset per string. The magic tells the byte order.
constexpr std::uint32_t CatalogueMagic = 0x950412de;
constexpr std::uint64_t MaxCatalogueBytes = 1024 * 1024;

class CatalogueBytes {
public:
    explicit CatalogueBytes(std::string bytes) : Bytes_(std::move(bytes)) {
        Swapped_ = Word(0) == __builtin_bswap32(CatalogueMagic);
        if (!Swapped_ && Word(0) != CatalogueMagic)
            throw std::out_of_range("not a catalogue");
    }

    std::uint32_t Word(std::uint64_t at) const {
        if (at + 4 > Bytes_.size())
            throw std::out_of_range("cut short");
        std::uint32_t word = 0; // little-endian
        for (std::uint64_t byte = at + 4; byte-- > at;)
            word = word << 8 | static_cast<unsigned char>(Bytes_[byte]);
        return Swapped_ ? __builtin_bswap32(word) : word;
    }

    // The table's `index`th string.
    std::string String(std::uint32_t table, std::uint32_t index) const {
        const std::uint64_t entry = table + std::uint64_t{index} * 8;
        return Bytes_.substr(Within(Word(entry + 4), Word(entry)), Word(entry));
    }

private:
    std::size_t Within(std::uint64_t at, std::uint64_t length) const {
        if (at + length > Bytes_.size())
            throw std::out_of_range("cut short");
        return static_cast<std::size_t>(at);
    }

    std::string Bytes_;
    bool Swapped_ = false;
};

std::unordered_map<std::string, std::string> ReadCatalogue(const std::string& fileName) {
    std::unordered_map<std::string, std::string> texts;
    try {
        const CatalogueBytes catalogue(ReadCheckedFile(fileName, MaxCatalogueBytes));
        const std::uint32_t count = catalogue.Word(8);
        const std::uint32_t ids = catalogue.Word(12);
        const std::uint32_t translations = catalogue.Word(16);
        for (std::uint32_t index = 0; index < count; ++index)
            texts.emplace(catalogue.String(ids, index), catalogue.String(translations, index));
    } catch (const std::exception&) {
        texts.clear(); // every id stays as it is
    }
    return texts;
}

} // namespace

bool PlayerReadsJapanese() {
    const std::string_view locale = MessagesLocale();
    const bool plainC = locale == "C" || locale == "POSIX";
    const char* language = Environment("LANGUAGE");
    return IsJapanese(language && !plainC ? std::string_view(language) : locale);
}

MessageCatalog::MessageCatalog(const std::string& domain, const std::string& folder)
    : Texts_(ReadCatalogue(folder + "/en/LC_MESSAGES/" + domain + ".mo")) {}

std::string MessageCatalog::English(const char* id) const {
    const auto text = Texts_.find(id);
    return text == Texts_.end() || text->second.empty() ? id : text->second;
}

} // namespace platform
