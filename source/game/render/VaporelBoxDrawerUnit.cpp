#include "game/render/VaporelBoxDrawerUnit.h"

#include "game/core/AppUnit.h"
#include "platform/OpenGLBinding.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

// Depths of the scene; a larger Z is nearer.
constexpr double BackgroundZ = -1.0;
constexpr double BareStoneZ = -0.5; // over the background, under the water
constexpr double ParticleZ = 0.0;
constexpr double BlockZ = 0.0;
constexpr double GaugeZ = 0.1;
constexpr double VeilZ = 0.5;
constexpr double FrontZ = 1.0;
constexpr double ChangedCellZ = 1.5; // over the front layer
constexpr double GaugeNumberZ = 200.0;
constexpr double ResultZ = 100.0;
constexpr double CellCursorZ = 1000.0;

constexpr double CellCursorOpacity = 0.8;
constexpr double VeilDarkness = 0.5;     // at most half dark
constexpr double ResultFadeFrames = 120; // the veil and the result picture reach full strength

struct TColor {
    float R, G, B;
};

// A rectangle in pixels as left, top, width and height.
struct TGaugeRect {
    double Left, Top, Width, Height;
};

constexpr TGaugeRect BlueGauge{8, 32, 16, 704};
constexpr TGaugeRect EtcGauge{32, 32, 16, 704};
constexpr TColor BlueGaugeBottom{0, 1, 1};
constexpr TColor BlueGaugeTop{0, 0, 1};
constexpr TColor EtcGaugeBottom{1, 1, 0};
constexpr TColor EtcGaugeTop{1, 0, 0};

// A vertical gradient from the bottom edge up to the fill line, in whatever
// blend state is current.
void DrawGauge(const TGaugeRect& rect, double ratio, const TColor& bottom, const TColor& top) {
    using platform::GL;
    const double t = std::min(ratio, 1.0);
    const auto left = static_cast<float>(rect.Left);
    const auto right = static_cast<float>(rect.Left + rect.Width);
    const auto base = static_cast<float>(rect.Top + rect.Height);
    const auto fillTop = static_cast<float>(rect.Top + (1 - t) * rect.Height);
    const auto z = static_cast<float>(GaugeZ);
    GL().Begin(platform::gl::GL_POLYGON);
    GL().Color3f(bottom.R, bottom.G, bottom.B);
    GL().Vertex3f(left, base, z);
    GL().Vertex3f(right, base, z);
    GL().Color3f(top.R, top.G, top.B);
    GL().Vertex3f(right, fillTop, z);
    GL().Vertex3f(left, fillTop, z);
    GL().End();
}

TTextureID ParticleTexture(TWaterKind kind) {
    return kind == wkBlue ? tidBlue : tidRed;
}

// The kinds of cell the stage's front layer marks (grates, the feed pipe):
// their marks stay on the picture when the player changes such a cell.
bool IsMarkedByThePictures(TCellType type) {
    return type == ctOutlet || type == ctDrain || type == ctSource;
}

// The tile of a changed cell; the empty and block cells show their own
// pieces of the stage's pictures instead.
std::optional<TTextureID> ChangedCellTile(TCellType type) {
    switch (type) {
    case ctOutlet: return tidOutlet;
    case ctDrain: return tidDrain;
    case ctSource: return tidSource;
    case ctWall: return tidWallOutline;
    default: return std::nullopt;
    }
}

// A gauge's count and target, one character a line, upright: "212", a bar,
// "300" read from the top down. In a buffer of its own: no allocation per frame.
struct TGaugeNumbers {
    char Text[32];
    int Length;
    TGaugeNumbers(std::int32_t count, std::int32_t target)
        : Length(std::snprintf(Text, sizeof Text, "%d-%d", count, target)) {}
};

// The digits fill the gauge's width: about 11 pixels high, white on a dark
// plate, so that no fill behind them (bright cyan, yellow) washes them out.
constexpr double GaugeNumberHeight = 17; // pixels to the em
constexpr double GaugeNumberInset = 6;   // pixels from the gauge's bottom edge
constexpr double GaugeLineSpacing = 14;  // pixels from one character's baseline to the next
constexpr double GaugePlateAscent = 13;  // pixels of the plate above the first baseline
constexpr double GaugePlateDarkness = 0.75;
constexpr TTextColor GaugeNumberColor{1, 1, 1};

// One gauge's numbers over their plate.
void DrawGaugeColumn(TGameRenderer& renderer, const TGaugeRect& rect, const TGaugeNumbers& numbers) {
    const double bottom = rect.Top + rect.Height;
    double baseline = bottom - GaugeNumberInset - (numbers.Length - 1) * GaugeLineSpacing;
    platform::GL().Color4f(0, 0, 0, static_cast<float>(GaugePlateDarkness));
    renderer.SetBlendNormal();
    renderer.DrawRect(true, rect.Left, baseline - GaugePlateAscent, rect.Left + rect.Width, bottom,
                      GaugeNumberZ);
    renderer.SetBlendNone();
    const double centre = rect.Left + rect.Width / 2.0;
    for (int i = 0; i < numbers.Length; ++i) {
        const std::string_view character(numbers.Text + i, 1);
        const double width = renderer.CaptionWidth(character, GaugeNumberHeight);
        renderer.DrawCaption(character, centre - width / 2, baseline, GaugeNumberZ, GaugeNumberHeight,
                             GaugeNumberColor);
        baseline += GaugeLineSpacing;
    }
}

// A hidden wall the player took away leaves no glass: its cell shows stone
// from a place nearby whose picture has none. The stones repeat their joints
// every 5 cells across, and their courses every 6 cells down.
constexpr int StoneColumns = 5, StoneRows = 6;
constexpr struct {
    int Columns, Rows;
} BareStoneOffsets[] = {{-StoneColumns, 0},
                        {StoneColumns, 0},
                        {-2 * StoneColumns, 0},
                        {2 * StoneColumns, 0},
                        {0, -StoneRows},
                        {0, StoneRows},
                        {-StoneColumns, -StoneRows},
                        {StoneColumns, -StoneRows},
                        {-StoneColumns, StoneRows},
                        {StoneColumns, StoneRows}};
// The columns whose hidden walls the pictures draw as glass: right of the
// gauges, left of the frame.
constexpr int FirstGlassColumn = 4, LastGlassColumn = MapColumns - 3;

bool ShowsGlass(const TVaporelBox& box, int column, int row) {
    return box.StageCellTypes()[column][row] == ctWall && column >= FirstGlassColumn && column <= LastGlassColumn;
}

struct TStoneCell {
    int Column, Row;
};

// The nearest cell at a stone's repeat whose picture shows no glass.
std::optional<TStoneCell> BareStoneFor(const TVaporelBox& box, int column, int row) {
    for (const auto& offset : BareStoneOffsets) {
        const int c = column + offset.Columns, r = row + offset.Rows;
        if (c >= FirstGlassColumn && c <= LastGlassColumn && r >= 0 && r < MapRows - 1 &&
            !ShowsGlass(box, c, r))
            return TStoneCell{c, r};
    }
    return std::nullopt;
}

} // namespace

double GaugeRatio(std::int32_t count, std::int32_t target) {
    return target <= 0 ? 1.0 : static_cast<double>(count) / target;
}

void TVaporelBoxDrawer::DrawBox(const TVaporelBox& box) {
    Renderer.DrawBackdrop(tidBG, BackgroundZ);
    DrawRemovedGlass(box);
    DrawGauges(box);
    DrawParticles(box);
    DrawBlockCells(box);
    Renderer.DrawTexture(tidFront, false, 0, 0, FrontZ);
    DrawChangedCells(box);
    DrawCellCursor();
    DrawResult(box);
    DrawGaugeNumbers(box);
}

void TVaporelBoxDrawer::DrawGauges(const TVaporelBox& box) const {
    DrawGauge(BlueGauge, GaugeRatio(box.BlueOutCount(), box.Parameters().BlueWaterNumForClear), BlueGaugeBottom,
              BlueGaugeTop);
    DrawGauge(EtcGauge, GaugeRatio(box.EtcOutCount(), box.Parameters().EtcWaterNumForEnd), EtcGaugeBottom, EtcGaugeTop);
}

// In pool order, adding their light; pictures with an alpha channel blend
// normally instead (DrawTextureRect). The sprite is the picture's own size:
// the particle radius plays no part.
void TVaporelBoxDrawer::DrawParticles(const TVaporelBox& box) {
    if (ParticleDrawing == pdEach) {
        for (const TWaterParticle& p : box.Particles()) {
            if (!p.Active)
                continue;
            Renderer.SetBlendAdd();
            Renderer.DrawTexture(ParticleTexture(p.Kind), true, p.Position.x, p.Position.y, ParticleZ);
            Renderer.SetBlendNone();
        }
        return;
    }
    ParticleSprites.clear();
    for (const TWaterParticle& p : box.Particles())
        if (p.Active)
            ParticleSprites.push_back({ParticleTexture(p.Kind), p.Position.x, p.Position.y});
    Renderer.SetBlendAdd();
    Renderer.DrawSprites(ParticleSprites, ParticleZ);
}

// The Block picture covers the field; only its patches on block cells show.
void TVaporelBoxDrawer::DrawBlockCells(const TVaporelBox& box) {
    BlockPatches.clear();
    for (int gx = 0; gx < MapColumns; ++gx)
        for (int gy = 0; gy < MapRows; ++gy)
            if (box.Cells()[gx][gy].CellType == ctBlock) {
                const int x = gx * CellSize, y = gy * CellSize;
                BlockPatches.push_back({x, y, x + CellSize, y + CellSize});
            }
    Renderer.DrawPatches(tidBlock, BlockPatches, BlockZ);
}

void TVaporelBoxDrawer::DrawRemovedGlass(const TVaporelBox& box) const {
    for (int gx = FirstGlassColumn; gx <= LastGlassColumn; ++gx)
        for (int gy = 0; gy < MapRows - 1; ++gy) {
            if (!ShowsGlass(box, gx, gy) || box.Cells()[gx][gy].CellType == ctWall)
                continue;
            if (const std::optional<TStoneCell> stone = BareStoneFor(box, gx, gy)) {
                const double sx = stone->Column * CellSize, sy = stone->Row * CellSize;
                Renderer.DrawTextureRect(tidBG, false, gx * CellSize, gy * CellSize, BareStoneZ, sx, sy,
                                         sx + CellSize, sy + CellSize);
            }
        }
}

// Cells of the type the stage gave them are left as the pictures show them.
void TVaporelBoxDrawer::DrawChangedCells(const TVaporelBox& box) const {
    for (int gx = 0; gx < MapColumns; ++gx)
        for (int gy = 0; gy < MapRows; ++gy)
            if (box.Cells()[gx][gy].CellType != box.StageCellTypes()[gx][gy])
                DrawChangedCell(box, gx, gy);
}

// Outlets, drains, sources and hidden walls get their tiles; a block or an
// empty cell where the front layer marks another kind covers the mark with
// its own piece of the Block or Back picture.
void TVaporelBoxDrawer::DrawChangedCell(const TVaporelBox& box, int column, int row) const {
    const double x = column * CellSize, y = row * CellSize;
    const TCellType type = box.Cells()[column][row].CellType;
    if (const std::optional<TTextureID> tile = ChangedCellTile(type)) {
        Renderer.DrawTexture(*tile, false, x, y, ChangedCellZ);
        return;
    }
    if (!IsMarkedByThePictures(box.StageCellTypes()[column][row]))
        return;
    const TTextureID piece = type == ctBlock ? tidBlock : tidBG;
    Renderer.DrawTextureRect(piece, false, x, y, ChangedCellZ, x, y, x + CellSize, y + CellSize);
}

void TVaporelBoxDrawer::DrawCellCursor() const {
    const platform::Point mouse = App.GetClientCursorPos();
    const double cx = CellOrigin(mouse.X), cy = CellOrigin(mouse.Y);
    platform::GL().Color4f(1, 1, 1, static_cast<float>(CellCursorOpacity));
    platform::GL().LineWidth(1);
    Renderer.DrawRect(false, cx, cy, cx + CellSize, cy + CellSize, CellCursorZ);
}

// The veil darkens the field to half and the result picture fades in, both
// over the first 120 frames of the outcome.
void TVaporelBoxDrawer::DrawResult(const TVaporelBox& box) const {
    if (box.State() == bsPlaying)
        return;
    const double strength = std::min(box.StateTimer() / ResultFadeFrames, 1.0);
    platform::GL().Color4f(0, 0, 0, static_cast<float>(strength * VeilDarkness));
    Renderer.SetBlendNormal();
    Renderer.DrawRect(true, 0, 0, FieldWidth, FieldHeight, VeilZ);
    Renderer.SetBlendNone();
    Renderer.SetAlpha(strength);
    Renderer.DrawTexture(box.State() == bsCleared ? tidClear : tidGameOver, true, FieldWidth / 2.0,
                         FieldHeight / 2.0, ResultZ);
    Renderer.SetAlpha(1.0);
}

// Upright in each gauge's lower end, one character a line and each centred,
// white on a dark plate over any fill: read without tilting the head. A pool
// without red water cannot be lost: its red gauge shows no numbers.
void TVaporelBoxDrawer::DrawGaugeNumbers(const TVaporelBox& box) const {
    DrawGaugeColumn(Renderer, BlueGauge, TGaugeNumbers(box.BlueOutCount(), box.Parameters().BlueWaterNumForClear));
    if (box.PoolHoldsRedWater())
        DrawGaugeColumn(Renderer, EtcGauge, TGaugeNumbers(box.EtcOutCount(), box.Parameters().EtcWaterNumForEnd));
}
