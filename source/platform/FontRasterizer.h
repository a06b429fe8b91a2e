#pragma once
// Glyphs of installed fonts, found through fontconfig and read with FreeType:
// one-bit bitmaps at a pixel size for the bitmap font, and outlines flattened
// into polygons for the outline font. Character codes are Unicode code points
// (the Latin-1 codes 0..254 are built at once; others are read one at a time).

#include "platform/Exception.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class FontError : public Exception {
public:
    using Exception::Exception;
};

// One glyph in the layout glBitmap takes with an unpack alignment of 1: rows
// bottom to top, (Width + 7) / 8 bytes per row, most significant bit leftmost.
struct BitmapGlyph {
    int Width = 0;
    int Height = 0;
    float OriginX = 0; // from the bitmap's lower-left corner to the pen position
    float OriginY = 0;
    float Advance = 0; // pixels the pen moves to the right
    std::vector<std::uint8_t> Bits;
};

struct OutlinePoint {
    double X = 0;
    double Y = 0; // upwards
};

// A glyph's closed contours in em units (the em square is 1 high), with the
// font's own winding: filled where the nonzero winding rule says so, which
// leaves the holes of O, A, B, 8 open.
struct OutlineGlyph {
    std::vector<std::vector<OutlinePoint>> Contours;
    double Advance = 0; // em units
};

// The file fontconfig picks for `family`, bold or regular. A family that is
// not installed gets a free stand-in the game prefers where one is installed
// (a heavy condensed sans for "Impact"), else the default sans-serif face.
// Only faces that draw the Latin letters count: a symbol face (Dingbats),
// even one asked for by name, gives way to the default sans-serif face.
// Raises FontError when no installed face has the Latin letters.
struct FontFace {
    std::string File;
    int Index = 0;
    std::string Family;         // the family actually found
    bool SyntheticBold = false; // bold was asked for and the face has none: thicken the outlines
};
FontFace MatchFont(const std::string& family, bool bold);

inline constexpr const char* DefaultSansFamily = "sans-serif";

// The file fontconfig picks for Japanese text, bold or regular. Raises
// FontError when no installed scalable face covers Japanese.
FontFace MatchJapaneseFont(bool bold);

// Glyphs for the codes 0 to count - 1. A code the face has no glyph for gets
// an empty glyph that draws nothing and does not move the pen.
std::vector<BitmapGlyph> RasterizeBitmapFont(const FontFace& face, int pixelHeight, int count);

// Curves are flattened until no chord strays more than `flatness` em from the curve.
inline constexpr double FineFlatness = 1.0 / 2048.0; // em
std::vector<OutlineGlyph> ExtractOutlineFont(const FontFace& face, int count, double flatness);

// An installed face kept open, for glyphs read one at a time.
class GlyphSource {
public:
    // Raises FontError when the file cannot be read.
    explicit GlyphSource(const FontFace& face);
    ~GlyphSource();
    GlyphSource(const GlyphSource&) = delete;
    GlyphSource& operator=(const GlyphSource&) = delete;

    const FontFace& Face() const { return Face_; }
    bool Has(char32_t code) const;
    bool Scalable() const;

    // A code the face has no glyph for gives an empty glyph with no advance.
    OutlineGlyph Outline(char32_t code, double flatness) const;

    // Bitmaps: sized so that the cell (ascender plus descender) is
    // `pixelHeight`, or the em square is `pixels` wide.
    void SizeToCell(int pixelHeight);
    void SizeToEm(int pixels);
    int EmPixels() const;
    BitmapGlyph Bitmap(char32_t code) const;

private:
    struct Handle;
    FontFace Face_;
    std::unique_ptr<Handle> Handle_;
};

// Where each character's glyph comes from: the face asked for, and for a
// character it lacks the face for Japanese, looked up and opened the first
// time one is needed. Bitmaps of the second face are drawn at the first
// one's em size, so that the letters of a line match.
class GlyphFaces {
public:
    // `cellPixels` sizes the bitmaps (as GlyphSource::SizeToCell); 0 for outlines only.
    GlyphFaces(const FontFace& face, bool bold, int cellPixels = 0);
    ~GlyphFaces();

    GlyphSource& Main() { return Main_; }
    // The face that has `code`; null when neither has it. Raises FontError
    // when the character needs the face for Japanese and none is installed.
    const GlyphSource* SourceOf(char32_t code);

private:
    GlyphSource Main_;
    bool Bold_;
    std::unique_ptr<GlyphSource> Japanese_;
    std::optional<std::string> JapaneseProblem_;
};

} // namespace platform
