#include "game/render/GlyphListsUnit.h"

#include <utility>

namespace {

constexpr char32_t LargestCodePoint = 0x10FFFF;
constexpr char32_t FirstSurrogate = 0xD800, LastSurrogate = 0xDFFF;

// Bytes of a sequence its lead byte starts, and the smallest code point that
// needs that many (anything smaller is overlong); 0 for a byte that leads none.
struct TSequence {
    int Length;
    char32_t Smallest;
    char32_t LeadBits;
};

TSequence SequenceOf(unsigned char lead) {
    if (lead < 0x80)
        return {1, 0, lead};
    if ((lead & 0xE0) == 0xC0)
        return {2, 0x80, lead & 0x1Fu};
    if ((lead & 0xF0) == 0xE0)
        return {3, 0x800, lead & 0x0Fu};
    if ((lead & 0xF8) == 0xF0)
        return {4, 0x10000, lead & 0x07u};
    return {0, 0, 0};
}

} // namespace

char32_t NextCodePoint(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const TSequence sequence = SequenceOf(lead);
    if (sequence.Length == 0 || at + static_cast<std::size_t>(sequence.Length) > text.size()) {
        ++at;
        return lead;
    }
    char32_t code = sequence.LeadBits;
    for (int i = 1; i < sequence.Length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return lead;
        }
        code = code << 6 | (next & 0x3Fu);
    }
    if (code < sequence.Smallest || code > LargestCodePoint ||
        (code >= FirstSurrogate && code <= LastSurrogate)) {
        ++at;
        return lead;
    }
    at += static_cast<std::size_t>(sequence.Length);
    return code;
}

void TGlyphLists::Reset(platform::gl::GLuint base, const std::array<double, BlockCount>& advances,
                        TCompileGlyph compile) {
    Clear();
    Base_ = base;
    Advances_ = advances;
    Compile_ = std::move(compile);
}

void TGlyphLists::Clear() {
    Extra_.clear();
    Advances_.fill(0);
    Base_ = 0;
}

const TGlyphLists::TGlyph& TGlyphLists::Extra(char32_t code) {
    if (const auto found = Extra_.find(code); found != Extra_.end())
        return found->second;
    TGlyph glyph{platform::DisplayListRange(1), 0};
    if (glyph.List.Reserved())
        glyph.Advance = Compile_(code, glyph.List.Base());
    return Extra_.emplace(code, std::move(glyph)).first->second;
}

std::span<const platform::gl::GLuint> TGlyphLists::ListsOf(std::string_view text) {
    Lists_.clear();
    for (std::size_t at = 0; at < text.size();) {
        const char32_t code = NextCodePoint(text, at);
        Lists_.push_back(code < BlockCount ? Base_ + code : Extra(code).List.Base());
    }
    return Lists_;
}

double TGlyphLists::Width(std::string_view text) {
    double width = 0;
    for (std::size_t at = 0; at < text.size();) {
        const char32_t code = NextCodePoint(text, at);
        width += code < BlockCount ? Advances_[code] : Extra(code).Advance;
    }
    return width;
}
