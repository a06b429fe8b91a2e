#include "game/stagemaker/StageArtUnit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int Cell = 16; // pixels per map cell
constexpr int Width = CanvasWidth;
constexpr int Height = CanvasHeight;

char CellAt(const TStageMap& map, int column, int row) {
    return map[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

// A horizontal run of source cells: the mouth of one feed pipe.
struct TSourceRun {
    int Row, First, Last; // cells
};

std::vector<TSourceRun> SourceRuns(const TStageMap& map) {
    std::vector<TSourceRun> runs;
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 0; column < PictureColumns; ++column) {
            if (CellAt(map, column, row) != 'S')
                continue;
            if (!runs.empty() && runs.back().Row == row && runs.back().Last == column - 1)
                runs.back().Last = column;
            else
                runs.push_back({row, column, column});
        }
    return runs;
}

// Smooth value noise in 0..1, repeatable: the pictures come out the same on every run.
double Hash(int x, int y, int seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xffffff) / double(0xffffff);
}

double Noise(double x, double y, int seed) {
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const double fx = x - ix, fy = y - iy;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = Hash(ix, iy, seed) + (Hash(ix + 1, iy, seed) - Hash(ix, iy, seed)) * sx;
    const double bottom = Hash(ix, iy + 1, seed) + (Hash(ix + 1, iy + 1, seed) - Hash(ix, iy + 1, seed)) * sx;
    return top + (bottom - top) * sy;
}

double Fractal(double x, double y, int seed) {
    double sum = 0, amplitude = 0.5;
    for (int octave = 0; octave < 4; ++octave) {
        sum += Noise(x, y, seed + octave) * amplitude;
        x *= 2;
        y *= 2;
        amplitude *= 0.5;
    }
    return sum / 0.9375;
}

// ---- Map ----------------------------------------------------------------------

TRgba MapColour(char cell) {
    switch (cell) {
    case '#': return {150, 104, 62};  // block: any colour that is no other kind
    case 'w': return {128, 128, 128}; // hidden wall: grey
    case 'O': return {0, 0, 255};
    case 'D': return {255, 0, 0};
    case 'S': return {0, 0, 0};
    default: return {255, 255, 255};
    }
}

// ---- Back ---------------------------------------------------------------------

constexpr int GaugePanelRight = 64; // pixels: the gauge strip on the left
const int GaugeLefts[] = {8, 32};   // the two gauges, 16 pixels wide
constexpr int GaugeTop = 32, GaugeBottom = 736;

// Deep cistern stone: large dim blocks behind a blue-green haze.
TRgba CisternWall(int x, int y) {
    const double depth = double(y) / Height;
    TRgba colour = Mix(TRgba{14, 24, 46}, TRgba{10, 44, 58}, depth);
    const int course = y / 48;
    const int offset = (course % 2) * 40;
    const bool mortar = (y % 48) < 2 || ((x + offset) % 80) < 2;
    const double stone = Hash((x + offset) / 80, course, 7) * 0.25 + Fractal(x / 40.0, y / 40.0, 11) * 0.35;
    colour = Mix(colour, TRgba{40, 64, 84}, stone * 0.6);
    if (mortar)
        colour = Mix(colour, TRgba{6, 10, 20}, 0.6);
    return colour;
}

// Light falls in from the top through each feed pipe's opening.
void DrawLightShafts(TCanvas& back, const TStageMap& map) {
    for (const TSourceRun& run : SourceRuns(map)) {
        const double sourceCentre = (run.First + run.Last + 1) * Cell / 2.0;
        for (int y = 0; y < Height; ++y)
            for (int x = GaugePanelRight; x < Width; ++x) {
                const double spread = 60 + y * 0.45;
                const double d = std::abs(x - sourceCentre) / spread;
                const double light = std::exp(-d * d) * (1 - double(y) / Height) * 0.35;
                back.Blend(x, y, TRgba{120, 200, 230, light});
            }
    }
}

void DrawGaugePanel(TCanvas& back) {
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < GaugePanelRight; ++x) {
            const double grain = Fractal(x / 8.0, y / 64.0, 21);
            back.At(x, y) = TRgba{34 + grain * 20, 36 + grain * 20, 42 + grain * 22};
        }
    for (const int left : GaugeLefts)
        back.FillRect(left, GaugeTop, left + 16, GaugeBottom, TRgba{8, 10, 14});
}

bool IsHiddenWall(const TStageMap& map, int column, int row) {
    return column >= 0 && column < PictureColumns && row >= 0 && row < PictureRows &&
           CellAt(map, column, row) == 'w';
}

// The hidden walls inside the field are panes of thick glass: visible, but
// only just, so a player sees where water will stop.
void DrawGlass(TCanvas& back, const TStageMap& map) {
    for (int row = 0; row < PictureRows; ++row)
        for (int column = GaugeColumns; column < PictureColumns - 1; ++column) {
            if (!IsHiddenWall(map, column, row))
                continue;
            for (int y = row * Cell; y < (row + 1) * Cell; ++y)
                for (int x = column * Cell; x < (column + 1) * Cell; ++x) {
                    const double streak = std::fmod(x + y * 0.6, 48.0) < 6 ? 0.18 : 0.0;
                    back.Blend(x, y, TRgba{150, 210, 230, 0.16 + streak});
                    const bool edge = (!IsHiddenWall(map, column - 1, row) && x == column * Cell) ||
                                      (!IsHiddenWall(map, column + 1, row) && x == (column + 1) * Cell - 1) ||
                                      (!IsHiddenWall(map, column, row - 1) && y == row * Cell);
                    if (edge)
                        back.Blend(x, y, TRgba{200, 240, 255, 0.55});
                }
        }
}

// ---- Front --------------------------------------------------------------------

const TRgba BrassDark{92, 66, 26};
const TRgba BrassLight{236, 204, 120};

// A horizontal or vertical metal bar with light and dark edges.
void DrawBar(TCanvas& front, int x0, int y0, int x1, int y1) {
    const bool horizontal = (x1 - x0) >= (y1 - y0);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const double t = horizontal ? double(y - y0) / (y1 - y0) : double(x - x0) / (x1 - x0);
            const double shine = std::sin(t * 3.14159);
            front.Blend(x, y, Mix(BrassDark, BrassLight, shine * 0.9));
        }
}

void DrawFrame(TCanvas& front) {
    DrawBar(front, Width - 16, 0, Width, Height); // the right edge is a hidden wall
    for (const int left : GaugeLefts) {
        DrawBar(front, left - 3, GaugeTop - 3, left + 19, GaugeTop);
        DrawBar(front, left - 3, GaugeBottom, left + 19, GaugeBottom + 3);
        DrawBar(front, left - 3, GaugeTop, left, GaugeBottom);
        DrawBar(front, left + 16, GaugeTop, left + 19, GaugeBottom);
    }
    // A drop above each gauge says which water it counts.
    front.FillDisc(GaugeLefts[0] + 8, 18, 6, TRgba{40, 120, 255});
    front.FillDisc(GaugeLefts[1] + 8, 18, 6, TRgba{255, 70, 50});
    front.FillDisc(GaugeLefts[0] + 6, 16, 2, TRgba{220, 240, 255, 0.8});
    front.FillDisc(GaugeLefts[1] + 6, 16, 2, TRgba{255, 220, 210, 0.8});
}

// A feed pipe comes down from the cell above each run of sources (from the
// top edge for a run in row 0 or 1) and opens over it.
void DrawPipes(TCanvas& front, const TStageMap& map) {
    for (const TSourceRun& run : SourceRuns(map)) {
        const int x0 = run.First * Cell - 6, x1 = (run.Last + 1) * Cell + 6;
        const int mouth = run.Row * Cell;
        DrawBar(front, x0, std::max(0, mouth - Cell), x1, mouth + 4);
        for (int column = run.First; column <= run.Last; ++column)
            front.FillDisc(column * Cell + 8, mouth + 1, 4, TRgba{20, 16, 10, 0.9});
    }
}

// Grates over outlets (blue glow) and drains (red glow).
void DrawGrates(TCanvas& front, const TStageMap& map) {
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 0; column < PictureColumns; ++column) {
            const char cell = CellAt(map, column, row);
            if (cell != 'O' && cell != 'D')
                continue;
            const TRgba glow = cell == 'O' ? TRgba{60, 140, 255, 0.35} : TRgba{255, 60, 40, 0.35};
            front.FillRect(column * Cell, row * Cell, (column + 1) * Cell, (row + 1) * Cell, glow);
            for (int bar = 2; bar < Cell; bar += 5)
                if (cell == 'O')
                    front.FillRect(column * Cell + bar, row * Cell, column * Cell + bar + 2, (row + 1) * Cell,
                                   TRgba{30, 30, 40, 0.8});
                else
                    front.FillRect(column * Cell, row * Cell + bar, (column + 1) * Cell, row * Cell + bar + 2,
                                   TRgba{40, 20, 20, 0.8});
        }
}

} // namespace

TCanvas DrawMap(const TStageMap& map) {
    TCanvas picture;
    for (int row = 0; row < PictureRows; ++row)
        for (int column = 0; column < PictureColumns; ++column)
            picture.FillRect(column * Cell, row * Cell, (column + 1) * Cell, (row + 1) * Cell,
                             MapColour(CellAt(map, column, row)));
    return picture;
}

TCanvas DrawBack(const TStageMap& map) {
    TCanvas back;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            back.At(x, y) = CisternWall(x, y);
    DrawLightShafts(back, map);
    DrawGlass(back, map);
    DrawGaugePanel(back);
    return back;
}

// One bevelled sandstone tile per cell, each with its own shade, so any
// cell of the grid looks like a cut stone.
TCanvas DrawBlock() {
    TCanvas block;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const int column = x / Cell, row = y / Cell;
            const int u = x % Cell, v = y % Cell;
            const double tone = Hash(column, row, 3) * 0.18 - 0.09;
            const double grain = Fractal(x / 6.0, y / 6.0, 5) - 0.5;
            TRgba stone{186 * (1 + tone) + grain * 30, 146 * (1 + tone) + grain * 26,
                        98 * (1 + tone) + grain * 18};
            if (u < 2 || v < 2)
                stone = Mix(stone, TRgba{240, 214, 168}, 0.45);
            else if (u >= Cell - 2 || v >= Cell - 2)
                stone = Mix(stone, TRgba{70, 44, 24}, 0.55);
            if (Hash(x, y, 9) > 0.985)
                stone = Mix(stone, TRgba{90, 60, 34}, 0.5);
            block.At(x, y) = stone;
        }
    return block;
}

TCanvas DrawFront(const TStageMap& map) {
    TCanvas front;
    for (TRgba& p : front.Pixels)
        p = TRgba{0, 0, 0, 0};
    DrawFrame(front);
    DrawPipes(front, map);
    DrawGrates(front, map);
    return front;
}
