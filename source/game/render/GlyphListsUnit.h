#pragma once
// The display lists of a font by Unicode code point, for lines of UTF-8 text.
// The codes 0..254 lie in one block built with the font, so a Latin line
// calls the same lists it always did; any other character gets a list of its
// own the first time a line holds it, kept until the font goes. Drawing a line
// whose characters were all met before allocates nothing.

#include "platform/OpenGLBinding.h"
#include "platform/OpenGLObjects.h"

#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

// The character at `at` of UTF-8 `text`, moving `at` past it. A byte that
// starts no well-formed sequence (overlong, a surrogate, past U+10FFFF, cut
// short) is one character of its own, read as Latin-1.
char32_t NextCodePoint(std::string_view text, std::size_t& at);

class TGlyphLists {
public:
    static constexpr int BlockCount = 256;  // one list per Latin-1 code
    static constexpr int BlockGlyphs = 255; // codes 0..254; the last list stays empty

    // Compiles the glyph of `code` into `list` (GL_COMPILE) and gives how far it
    // moves the pen.
    using TCompileGlyph = std::function<double(char32_t code, platform::gl::GLuint list)>;

    // The block of the codes 0..254 starts at `base`; `advances` holds their advances.
    void Reset(platform::gl::GLuint base, const std::array<double, BlockCount>& advances,
               TCompileGlyph compile);
    // Forgets every list (the block belongs to the caller).
    void Clear();

    // The names of the lists that draw `text` in a row, valid until the next
    // call; a character met for the first time is compiled now, so no list may
    // be open for compiling meanwhile.
    std::span<const platform::gl::GLuint> ListsOf(std::string_view text);
    // How far the lists of `text` move the pen.
    double Width(std::string_view text);
    // Lists compiled for characters beyond the block.
    std::size_t ExtraCount() const { return Extra_.size(); }

private:
    struct TGlyph {
        platform::DisplayListRange List;
        double Advance = 0;
    };
    const TGlyph& Extra(char32_t code);

    platform::gl::GLuint Base_ = 0;
    std::array<double, BlockCount> Advances_{};
    TCompileGlyph Compile_;
    std::unordered_map<char32_t, TGlyph> Extra_;
    std::vector<platform::gl::GLuint> Lists_;
};
