#pragma once
// Glyphs of installed fonts, found through fontconfig and read with FreeType:
// one-bit bitmaps at a pixel size for the bitmap font, and outlines flattened
// into polygons for the outline font. Character codes are bytes read as
// Latin-1, so code c is the Unicode character U+00c.

#include "platform/Exception.h"

#include <cstdint>
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

// Glyphs for the codes 0 to count - 1. A code the face has no glyph for gets
// an empty glyph that draws nothing and does not move the pen.
std::vector<BitmapGlyph> RasterizeBitmapFont(const FontFace& face, int pixelHeight, int count);

// Curves are flattened until no chord strays more than `flatness` em from the curve.
inline constexpr double FineFlatness = 1.0 / 2048.0; // em
std::vector<OutlineGlyph> ExtractOutlineFont(const FontFace& face, int count, double flatness);

} // namespace platform
