#include "game/texts/MessageCatalogUnit.h"

#include "platform/CheckedFile.h"

#include <cstdint>
#include <utility>

namespace {

// A compiled catalogue: a header of 32-bit words (magic, revision, count,
// offset of the ids' table, offset of the texts' table), each table holding
// a length and an offset per string. The magic tells the byte order.
constexpr std::uint32_t CatalogueMagic = 0x950412de;
constexpr std::uint64_t MaxCatalogueBytes = 1024 * 1024;

class CatalogueBytes {
public:
    CatalogueBytes(std::string fileName, std::string bytes)
        : FileName_(std::move(fileName)), Bytes_(std::move(bytes)) {
        Swapped_ = Word(0) == __builtin_bswap32(CatalogueMagic);
        if (!Swapped_ && Word(0) != CatalogueMagic)
            Fail("not a message catalogue");
    }

    std::uint32_t Word(std::uint64_t at) const {
        if (at + 4 > Bytes_.size())
            Fail("cut short");
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
            Fail("cut short");
        return static_cast<std::size_t>(at);
    }

    [[noreturn]] void Fail(const char* reason) const {
        throw platform::FileError(FileName_ + ": " + reason, reason);
    }

    std::string FileName_;
    std::string Bytes_;
    bool Swapped_ = false;
};

} // namespace

TMessageCatalog::TMessageCatalog(const std::string& fileName) {
    const CatalogueBytes catalogue(fileName, platform::ReadCheckedFile(fileName, MaxCatalogueBytes));
    const std::uint32_t count = catalogue.Word(8);
    const std::uint32_t ids = catalogue.Word(12);
    const std::uint32_t texts = catalogue.Word(16);
    for (std::uint32_t index = 0; index < count; ++index)
        if (std::string id = catalogue.String(ids, index); !id.empty()) // the empty id holds the header
            Texts_.emplace(std::move(id), catalogue.String(texts, index));
}

std::string_view TMessageCatalog::Text(std::string_view id) const {
    const auto text = Texts_.find(id);
    return text == Texts_.end() || text->second.empty() ? id : std::string_view(text->second);
}
