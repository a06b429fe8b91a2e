#pragma once
// The outline font: a named installed font turned into filled glyph polygons,
// one display list per character, for drawing lines of UTF-8 text as
// geometry. Characters the font lacks (Japanese) come from the face for
// Japanese, tessellated the first time a line holds them.

#include "game/render/GlyphListsUnit.h"
#include "platform/OpenGLBinding.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

class TOpenGLRenderer;
class TGlyphTessellator;
namespace platform {
class GlyphFaces;
}

inline constexpr const char* MsgOutlineFontFailed = "アウトラインフォントが作成できませんでした";

class TLetterRender {
public:
    static constexpr platform::gl::GLuint NoLists = 0xFFFFFFFF;
    static constexpr int ListCount = TGlyphLists::BlockCount;   // one list per Latin-1 code
    static constexpr int GlyphCount = TGlyphLists::BlockGlyphs; // codes 0..254; the last list stays empty

    // The owner's context must be current for every operation, and outlive this object.
    explicit TLetterRender(TOpenGLRenderer& owner);
    ~TLetterRender();
    TLetterRender(const TLetterRender&) = delete;
    TLetterRender& operator=(const TLetterRender&) = delete;

    // Builds the lists for `fontName` (the closest installed face when it is
    // missing), replacing the lists built before. List ListBase() + c holds
    // character c (Latin-1, c < 255) filled, in em units (the em square is 1 high, y
    // upwards) at z = 0, and then moves the origin by the character's advance,
    // so that the lists of a text can be called in a row. Raises
    // EOpenGLRenderer with MsgOutlineFontFailed when the font cannot be read.
    void SetFont(const std::string& fontName, bool bold);

    // How far a line of `text` moves the origin, in em (0 before SetFont).
    double Width(std::string_view text);
    // One line of `text` in the current colour, `height` pixels to the em,
    // its baseline's left end at (X, Y) of the 2D projection (y downwards),
    // depth Z; written upwards on screen when `upwards`. Leaves the
    // model-view matrix as it found it.
    void DrawLine(std::string_view text, double x, double y, double z, double height, bool upwards = false);

    platform::gl::GLuint ListBase() const { return ListBase_; }
    // The family the lists were built from (after substitution).
    const std::string& FontFamily() const { return Family; }
    TOpenGLRenderer& Owner() const { return Owner_; }

    // Lists compiled for characters beyond Latin-1.
    std::size_t ExtraGlyphCount() const { return Glyphs_.ExtraCount(); }

private:
    void DeleteLists();
    double CompileExtraGlyph(char32_t code, platform::gl::GLuint list);

    TOpenGLRenderer& Owner_;
    platform::gl::GLuint ListBase_ = NoLists;
    std::string Family;
    TGlyphLists Glyphs_;
    std::unique_ptr<platform::GlyphFaces> Faces_;
    std::unique_ptr<TGlyphTessellator> Tessellator_;
};
