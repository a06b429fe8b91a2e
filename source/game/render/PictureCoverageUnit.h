#pragma once
// Where a picture with an alpha channel changes what lies below it, found once
// when it is loaded: the picture cut into tiles, the tiles whose pixels are
// all fully transparent left out, the rest merged into rectangles that are
// either fully opaque or blended. Drawing only these rectangles gives the
// pixels of drawing the whole picture with normal blending, as long as each
// texel lands on one pixel (whole-pixel positions, nearest filtering).

#include "platform/PictureDecoder.h"

#include <cstdint>
#include <vector>

// A rectangle of picture pixels: Left and Top inside, Right and Bottom outside.
struct TPictureRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TPictureRect&, const TPictureRect&) = default;
};

class TPictureCoverage {
public:
    // Edge of a tile, picture pixels: the map's cell size, so that the stage
    // art, drawn to the cells, leaves whole tiles clear.
    static constexpr int TileSize = 16;

    // Nothing visible (an empty picture).
    TPictureCoverage() = default;
    // Reads the picture's alpha plane; a picture without one is one opaque rectangle.
    explicit TPictureCoverage(const platform::Picture& picture);

    // Disjoint rectangles whose pixels all have alpha 255.
    const std::vector<TPictureRect>& Opaque() const { return Opaque_; }
    // Disjoint rectangles with some pixel neither 0 nor 255, or a mix of both.
    const std::vector<TPictureRect>& Blended() const { return Blended_; }

private:
    std::vector<TPictureRect> Opaque_;
    std::vector<TPictureRect> Blended_;
};
