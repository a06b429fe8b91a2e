#include "platform/FontRasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

namespace platform {

namespace {

// Segments per curve at most: enough for any glyph at any flatness asked for.
constexpr int MaxCurveSegments = 256;
// Strength of a synthetic bold, as a share of the em (FreeType's own choice).
constexpr double SyntheticBoldShare = 1.0 / 24.0;
constexpr int FreeTypeFractionOne = 64; // 26.6 fixed point

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

struct LibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
using LibraryPtr = std::unique_ptr<FT_LibraryRec_, LibraryDeleter>;

struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

std::string PatternString(FcPattern* pattern, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch)
        return {};
    return reinterpret_cast<const char*>(value);
}

// A FreeType library with one face open.
struct OpenFace {
    LibraryPtr Library;
    FacePtr Face;
};

OpenFace Open(const FontFace& font) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        throw FontError("FreeType cannot be started");
    OpenFace result{LibraryPtr(library), nullptr};
    FT_Face face = nullptr;
    if (FT_New_Face(library, font.File.c_str(), font.Index, &face) != 0)
        throw FontError(font.File + ": the font file cannot be read");
    result.Face.reset(face);
    FT_Select_Charmap(face, FT_ENCODING_UNICODE); // Latin-1 codes are Unicode code points
    return result;
}

BitmapGlyph BitmapOf(FT_GlyphSlot slot) {
    const FT_Bitmap& bitmap = slot->bitmap;
    BitmapGlyph glyph;
    glyph.Width = static_cast<int>(bitmap.width);
    glyph.Height = static_cast<int>(bitmap.rows);
    glyph.OriginX = static_cast<float>(-slot->bitmap_left);
    glyph.OriginY = static_cast<float>(glyph.Height - slot->bitmap_top);
    glyph.Advance = static_cast<float>(slot->advance.x) / FreeTypeFractionOne;
    const int rowBytes = (glyph.Width + 7) / 8;
    glyph.Bits.resize(static_cast<std::size_t>(rowBytes) * glyph.Height);
    // FreeType gives rows top to bottom; glBitmap wants them bottom to top.
    for (int row = 0; row < glyph.Height; ++row) {
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        std::memcpy(&glyph.Bits[static_cast<std::size_t>(glyph.Height - 1 - row) * rowBytes], source,
                    static_cast<std::size_t>(rowBytes));
    }
    return glyph;
}

// Turns the curves of an outline into short lines, in font units.
class OutlineFlattener {
public:
    explicit OutlineFlattener(double tolerance) : Tolerance(tolerance) {}

    std::vector<std::vector<OutlinePoint>> Flatten(FT_Outline& outline) {
        FT_Outline_Funcs funcs{};
        funcs.move_to = &MoveTo;
        funcs.line_to = &LineTo;
        funcs.conic_to = &ConicTo;
        funcs.cubic_to = &CubicTo;
        if (FT_Outline_Decompose(&outline, &funcs, this) != 0)
            throw FontError("a glyph outline cannot be read");
        CloseContour();
        return std::move(Contours);
    }

private:
    static OutlinePoint PointOf(const FT_Vector* v) {
        return {static_cast<double>(v->x), static_cast<double>(v->y)};
    }
    static OutlineFlattener& Self(void* user) { return *static_cast<OutlineFlattener*>(user); }

    static int MoveTo(const FT_Vector* to, void* user) {
        Self(user).CloseContour();
        Self(user).Current = {PointOf(to)};
        return 0;
    }
    static int LineTo(const FT_Vector* to, void* user) {
        Self(user).Current.push_back(PointOf(to));
        return 0;
    }
    static int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
        Self(user).AddQuadratic(PointOf(control), PointOf(to));
        return 0;
    }
    static int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to,
                       void* user) {
        Self(user).AddCubic(PointOf(control1), PointOf(control2), PointOf(to));
        return 0;
    }

    static double SecondDifference(OutlinePoint a, OutlinePoint b, OutlinePoint c) {
        return std::hypot(a.X - 2 * b.X + c.X, a.Y - 2 * b.Y + c.Y);
    }

    // A curve whose second derivative is at most `curvature` strays at most
    // curvature / (8 n^2) from its chords when cut into n equal parameter steps.
    int SegmentsFor(double curvature) const {
        const double segments = std::ceil(std::sqrt(curvature / (8 * Tolerance)));
        return std::clamp(static_cast<int>(segments), 1, MaxCurveSegments);
    }

    void AddQuadratic(OutlinePoint control, OutlinePoint to) {
        const OutlinePoint from = Current.back();
        const int n = SegmentsFor(2 * SecondDifference(from, control, to));
        for (int i = 1; i <= n; ++i) {
            const double t = static_cast<double>(i) / n, u = 1 - t;
            Current.push_back({u * u * from.X + 2 * u * t * control.X + t * t * to.X,
                               u * u * from.Y + 2 * u * t * control.Y + t * t * to.Y});
        }
    }

    void AddCubic(OutlinePoint control1, OutlinePoint control2, OutlinePoint to) {
        const OutlinePoint from = Current.back();
        const double curvature = 6 * std::max(SecondDifference(from, control1, control2),
                                              SecondDifference(control1, control2, to));
        const int n = SegmentsFor(curvature);
        for (int i = 1; i <= n; ++i) {
            const double t = static_cast<double>(i) / n, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            Current.push_back({a * from.X + b * control1.X + c * control2.X + d * to.X,
                               a * from.Y + b * control1.Y + c * control2.Y + d * to.Y});
        }
    }

    void CloseContour() {
        if (Current.size() > 1 && Current.front().X == Current.back().X &&
            Current.front().Y == Current.back().Y)
            Current.pop_back(); // the tessellator closes contours itself
        if (Current.size() >= 3)
            Contours.push_back(std::move(Current));
        Current.clear();
    }

    double Tolerance;
    std::vector<OutlinePoint> Current;
    std::vector<std::vector<OutlinePoint>> Contours;
};

OutlineGlyph OutlineOf(FT_Face face, FT_ULong code, const FontFace& font, double flatness) {
    OutlineGlyph glyph;
    if (FT_Get_Char_Index(face, code) == 0)
        return glyph;
    if (FT_Load_Char(face, code, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0 ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
        throw FontError(font.File + ": the outline of character " + std::to_string(code) + " cannot be read");
    const double unitsPerEm = face->units_per_EM;
    double advance = static_cast<double>(face->glyph->advance.x);
    if (font.SyntheticBold) {
        const auto strength = static_cast<FT_Pos>(unitsPerEm * SyntheticBoldShare);
        FT_Outline_Embolden(&face->glyph->outline, strength);
        advance += static_cast<double>(strength);
    }
    OutlineFlattener flattener(flatness * unitsPerEm);
    glyph.Contours = flattener.Flatten(face->glyph->outline);
    for (auto& contour : glyph.Contours)
        for (auto& point : contour)
            point = {point.X / unitsPerEm, point.Y / unitsPerEm};
    glyph.Advance = advance / unitsPerEm;
    return glyph;
}

// Free faces that stand in for families a Linux desktop seldom has, when
// installed: a heavy condensed sans for the title face.
struct StandIn {
    const char* Missing;
    const char* Family;
    bool Bold;
};
constexpr StandIn StandIns[] = {{"Impact", "DejaVu Sans Condensed", true}};

const StandIn* StandInFor(const std::string& family) {
    for (const StandIn& standIn : StandIns)
        if (FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(standIn.Missing),
                               reinterpret_cast<const FcChar8*>(family.c_str())) == 0)
            return &standIn;
    return nullptr;
}

// What every face used for text must have.
constexpr std::string_view LatinLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

struct CharSetDeleter {
    void operator()(FcCharSet* set) const { FcCharSetDestroy(set); }
};
using CharSetPtr = std::unique_ptr<FcCharSet, CharSetDeleter>;

CharSetPtr LatinLetterSet() {
    CharSetPtr set(FcCharSetCreate());
    for (const char letter : LatinLetters)
        FcCharSetAddChar(set.get(), static_cast<FcChar32>(letter));
    return set;
}

bool HasLatinLetters(FcPattern* match) {
    FcCharSet* set = nullptr;
    if (FcPatternGetCharSet(match, FC_CHARSET, 0, &set) != FcResultMatch)
        return false;
    return std::all_of(LatinLetters.begin(), LatinLetters.end(),
                       [set](char letter) { return FcCharSetHasChar(set, static_cast<FcChar32>(letter)); });
}

// A symbol face (Dingbats, a Greek symbol font) may map the Latin code points to
// its pictures, so its character set claims the letters. Its glyph names give
// it away: the glyph for A is called "a10" or "Alpha" there.
bool DrawsLettersAsLetters(const FontFace& font) {
    OpenFace open = Open(font);
    FT_Face face = open.Face.get();
    if (!FT_HAS_GLYPH_NAMES(face))
        return true;
    char name[64] = {};
    const FT_UInt glyph = FT_Get_Char_Index(face, 'A');
    if (glyph == 0 || FT_Get_Glyph_Name(face, glyph, name, sizeof name) != 0)
        return false;
    const std::string_view glyphName = name;
    return glyphName == "A" || glyphName.starts_with("A.") || glyphName == "uni0041" || glyphName == "u0041";
}

// Whether the match is the asked family itself, under any of its names, in
// any case (a generic name such as sans-serif is always answered by itself).
bool IsFamilyOf(FcPattern* match, const std::string& family) {
    if (family == DefaultSansFamily)
        return true;
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family.c_str())) == 0)
            return true;
    return false;
}

struct FoundFace {
    FontFace Face;
    bool OfFamily = false; // the family asked for, not a substitute
};

PatternPtr Request(const std::string& family, bool bold) {
    PatternPtr request(FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str())));
    if (request == nullptr)
        throw FontError("no font can be looked up for \"" + family + "\"");
    FcPatternAddInteger(request.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddBool(request.get(), FC_SCALABLE, FcTrue);
    return request;
}

PatternPtr BestMatch(FcPattern* request) {
    FcConfigSubstitute(nullptr, request, FcMatchPattern);
    FcDefaultSubstitute(request);
    FcResult result = FcResultNoMatch;
    return PatternPtr(FcFontMatch(nullptr, request, &result));
}

FontFace FaceOf(FcPattern* match, bool bold) {
    FontFace face;
    face.File = PatternString(match, FC_FILE);
    face.Family = PatternString(match, FC_FAMILY);
    FcPatternGetInteger(match, FC_INDEX, 0, &face.Index);
    FcBool embolden = FcFalse;
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    face.SyntheticBold = bold && embolden == FcTrue;
    return face;
}

// fontconfig's best face for the family, preferring faces with the Latin
// letters; nothing when even the best one lacks them or draws them as symbols.
std::optional<FoundFace> MatchLatinFace(const std::string& family, bool bold) {
    const PatternPtr request = Request(family, bold);
    const CharSetPtr letters = LatinLetterSet();
    FcPatternAddCharSet(request.get(), FC_CHARSET, letters.get());
    const PatternPtr match = BestMatch(request.get());
    if (match == nullptr || !HasLatinLetters(match.get()))
        return std::nullopt;
    FoundFace found{FaceOf(match.get(), bold)};
    if (found.Face.File.empty() || !DrawsLettersAsLetters(found.Face))
        return std::nullopt;
    found.OfFamily = IsFamilyOf(match.get(), family);
    return found;
}

constexpr const char* Japanese = "ja";

struct LangSetDeleter {
    void operator()(FcLangSet* set) const { FcLangSetDestroy(set); }
};
using LangSetPtr = std::unique_ptr<FcLangSet, LangSetDeleter>;

bool CoversJapanese(FcPattern* match) {
    FcLangSet* languages = nullptr;
    return FcPatternGetLangSet(match, FC_LANG, 0, &languages) == FcResultMatch &&
           FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>(Japanese)) != FcLangDifferentLang;
}

} // namespace

FontFace MatchFont(const std::string& family, bool bold) {
    if (const auto found = MatchLatinFace(family, bold); found && found->OfFamily)
        return found->Face;
    if (const StandIn* standIn = StandInFor(family)) {
        const auto preferred = MatchLatinFace(standIn->Family, bold || standIn->Bold);
        if (preferred && preferred->OfFamily)
            return preferred->Face;
    }
    // Not fontconfig's own substitute: through its generic aliases that can be
    // any face, a symbol face among them.
    if (const auto fallback = MatchLatinFace(DefaultSansFamily, bold))
        return fallback->Face;
    throw FontError("no installed font has the Latin letters (looked for \"" + family + "\" and " +
                    DefaultSansFamily + ")");
}

FontFace MatchJapaneseFont(bool bold) {
    const PatternPtr request = Request(DefaultSansFamily, bold);
    const LangSetPtr languages(FcLangSetCreate());
    FcLangSetAdd(languages.get(), reinterpret_cast<const FcChar8*>(Japanese));
    FcPatternAddLangSet(request.get(), FC_LANG, languages.get());
    const PatternPtr match = BestMatch(request.get());
    if (match == nullptr || !CoversJapanese(match.get()))
        throw FontError("no installed font has the Japanese letters");
    FontFace face = FaceOf(match.get(), bold);
    if (face.File.empty())
        throw FontError("no installed font has the Japanese letters");
    return face;
}

struct GlyphSource::Handle {
    OpenFace Font;
};

GlyphSource::GlyphSource(const FontFace& face)
    : Face_(face), Handle_(std::make_unique<Handle>(Handle{Open(face)})) {}

GlyphSource::~GlyphSource() = default;

bool GlyphSource::Has(char32_t code) const {
    return FT_Get_Char_Index(Handle_->Font.Face.get(), code) != 0;
}

bool GlyphSource::Scalable() const {
    return FT_IS_SCALABLE(Handle_->Font.Face.get());
}

OutlineGlyph GlyphSource::Outline(char32_t code, double flatness) const {
    return OutlineOf(Handle_->Font.Face.get(), code, Face_, flatness);
}

void GlyphSource::SizeToCell(int pixelHeight) {
    FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_CELL, 0, pixelHeight * FreeTypeFractionOne, 0, 0};
    if (FT_Request_Size(Handle_->Font.Face.get(), &request) != 0)
        throw FontError(Face_.File + ": cannot be sized to " + std::to_string(pixelHeight) + " pixels");
}

void GlyphSource::SizeToEm(int pixels) {
    if (FT_Set_Pixel_Sizes(Handle_->Font.Face.get(), 0, static_cast<FT_UInt>(pixels)) != 0)
        throw FontError(Face_.File + ": cannot be sized to " + std::to_string(pixels) + " pixels to the em");
}

int GlyphSource::EmPixels() const {
    return Handle_->Font.Face->size->metrics.y_ppem;
}

BitmapGlyph GlyphSource::Bitmap(char32_t code) const {
    FT_Face face = Handle_->Font.Face.get();
    if (!Has(code))
        return {};
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0 ||
        face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
        throw FontError(Face_.File + ": character " + std::to_string(code) + " cannot be rendered");
    return BitmapOf(face->glyph);
}

GlyphFaces::GlyphFaces(const FontFace& face, bool bold, int cellPixels) : Main_(face), Bold_(bold) {
    if (cellPixels > 0)
        Main_.SizeToCell(cellPixels);
}

GlyphFaces::~GlyphFaces() = default;

const GlyphSource* GlyphFaces::SourceOf(char32_t code) {
    if (Main_.Has(code))
        return &Main_;
    if (JapaneseProblem_)
        throw FontError(*JapaneseProblem_);
    try {
        if (!Japanese_) {
            Japanese_ = std::make_unique<GlyphSource>(MatchJapaneseFont(Bold_));
            Japanese_->SizeToEm(std::max(Main_.EmPixels(), 1));
        }
    } catch (const FontError& error) {
        JapaneseProblem_ = error.what();
        throw;
    }
    return Japanese_->Has(code) ? Japanese_.get() : nullptr;
}

std::vector<BitmapGlyph> RasterizeBitmapFont(const FontFace& font, int pixelHeight, int count) {
    GlyphSource source(font);
    // The cell (ascender plus descender) is the pixel height, so that lines
    // `pixelHeight` apart do not overlap.
    source.SizeToCell(pixelHeight);
    std::vector<BitmapGlyph> glyphs;
    glyphs.reserve(static_cast<std::size_t>(count));
    for (int code = 0; code < count; ++code)
        glyphs.push_back(source.Bitmap(static_cast<char32_t>(code)));
    return glyphs;
}

std::vector<OutlineGlyph> ExtractOutlineFont(const FontFace& font, int count, double flatness) {
    const GlyphSource source(font);
    if (!source.Scalable())
        throw FontError(font.File + ": the font has no outlines");
    std::vector<OutlineGlyph> glyphs;
    glyphs.reserve(static_cast<std::size_t>(count));
    for (int code = 0; code < count; ++code)
        glyphs.push_back(source.Outline(static_cast<char32_t>(code), flatness));
    return glyphs;
}

} // namespace platform
