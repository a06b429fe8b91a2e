#include "game/render/PictureCoverageUnit.h"

#include <algorithm>

namespace {

enum TTileCover : std::uint8_t { tcClear, tcOpaque, tcBlended };

constexpr std::uint8_t Transparent = 0;
constexpr std::uint8_t Solid = 255;

TTileCover CoverOf(const platform::Picture& picture, const TPictureRect& tile) {
    bool anyVisible = false, allSolid = true;
    for (int y = tile.Top; y < tile.Bottom; ++y) {
        const std::uint8_t* alpha = &picture.Alpha[static_cast<std::size_t>(y) * picture.Width];
        for (int x = tile.Left; x < tile.Right; ++x) {
            anyVisible = anyVisible || alpha[x] != Transparent;
            allSolid = allSolid && alpha[x] == Solid;
        }
    }
    return !anyVisible ? tcClear : allSolid ? tcOpaque : tcBlended;
}

// A run of tiles of one cover in a row of tiles.
struct TTileRun {
    TPictureRect Rect;
    TTileCover Cover;
};

// The runs of one row of tiles, clear tiles left out.
void RunsOfRow(const platform::Picture& picture, int top, int bottom, std::vector<TTileRun>& runs) {
    runs.clear();
    constexpr int tile = TPictureCoverage::TileSize;
    for (int left = 0; left < picture.Width; left += tile) {
        const TPictureRect rect{left, top, std::min(left + tile, picture.Width), bottom};
        const TTileCover cover = CoverOf(picture, rect);
        if (cover == tcClear)
            continue;
        if (!runs.empty() && runs.back().Cover == cover && runs.back().Rect.Right == left)
            runs.back().Rect.Right = rect.Right;
        else
            runs.push_back({rect, cover});
    }
}

} // namespace

// Rows of tiles top to bottom; a run that spans the same columns with the
// same cover as a rectangle ending right above it makes that one taller.
TPictureCoverage::TPictureCoverage(const platform::Picture& picture) {
    if (picture.Width <= 0 || picture.Height <= 0)
        return;
    if (!picture.HasAlpha()) {
        Opaque_.push_back({0, 0, picture.Width, picture.Height});
        return;
    }
    std::vector<TTileRun> runs;
    for (int top = 0; top < picture.Height; top += TileSize) {
        const int bottom = std::min(top + TileSize, picture.Height);
        RunsOfRow(picture, top, bottom, runs);
        for (const TTileRun& run : runs) {
            std::vector<TPictureRect>& rects = run.Cover == tcOpaque ? Opaque_ : Blended_;
            const auto above = std::find_if(rects.begin(), rects.end(), [&](const TPictureRect& r) {
                return r.Bottom == top && r.Left == run.Rect.Left && r.Right == run.Rect.Right;
            });
            if (above != rects.end())
                above->Bottom = bottom;
            else
                rects.push_back(run.Rect);
        }
    }
}
