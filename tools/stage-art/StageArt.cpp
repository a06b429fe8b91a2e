// stage-art: draws the pictures of stage 0001 ("The Tower") from its cell
// layout: Map.png (the cell colours the loader reads), Back.jpg (behind the
// water), Block.jpg (the stone patches shown on block cells) and Front.png
// (frame, pipes and markers in front of the water, transparent elsewhere).
//
//   stage-art OUTPUT_FOLDER

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int Width = 1024; // pixels, the field
constexpr int Height = 768;
constexpr int Cell = 16; // pixels per map cell
constexpr int Columns = Width / Cell;
constexpr int Rows = Height / Cell;
constexpr int JpegQuality = 92;

// '.' empty, '#' block, 'w' hidden wall, 'O' outlet, 'D' drain, 'S' source.
// Water falls from the pipe at the top onto the tower's roof and splits: the
// left half fills the reservoir (its skimmer drains recycle what floats on
// top), the right half runs straight to the outlets. The tower's core and
// the field's edges are hidden walls (drawn as glass and frame).
const std::array<const char*, Rows> Layout = {
    "wwww...........................................................w",
    "wwww...............SSSSSSSSSS..................................w",
    "wwww...........................................................w",
    "wwww...........................................................w",
    "wwww...........................................................w",
    "wwww...........................................................w",
    "wwww...........................................................w",
    "wwww...........................................................w",
    "wwww...........................................................w",
    "wwww...........................................................w",
    "wwww#..........................................................w",
    "wwww#..........................................................w",
    "wwww#..........................................................w",
    "wwww#..................##......................................w",
    "wwww#.................####.....................................w",
    "wwww#................######....................................w",
    "wwww#...............########...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#................wwww...............w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwwwD...............#wwwwww#...................................w",
    "wwwwD...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww#...............#wwwwww#...................................w",
    "wwww##############################################OOOOOOOO#####w",
};

char CellAt(int column, int row) {
    return Layout[row][column];
}

struct Rgba {
    double r = 0, g = 0, b = 0, a = 1;
};

Rgba Mix(const Rgba& x, const Rgba& y, double t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

// A picture of doubles in 0..255, alpha 0..1.
struct Canvas {
    std::vector<Rgba> Pixels = std::vector<Rgba>(Width * Height);

    Rgba& At(int x, int y) { return Pixels[y * Width + x]; }

    // Paints `colour` over the pixel with its alpha scaled by `cover`.
    void Blend(int x, int y, const Rgba& colour, double cover = 1.0) {
        if (x < 0 || y < 0 || x >= Width || y >= Height)
            return;
        Rgba& p = At(x, y);
        const double a = std::clamp(colour.a * cover, 0.0, 1.0);
        const double outA = a + p.a * (1 - a);
        if (outA <= 0) {
            p = Rgba{0, 0, 0, 0};
            return;
        }
        auto channel = [&](double src, double dst) { return (src * a + dst * p.a * (1 - a)) / outA; };
        p = Rgba{channel(colour.r, p.r), channel(colour.g, p.g), channel(colour.b, p.b), outA};
    }

    void FillRect(int x0, int y0, int x1, int y1, const Rgba& colour) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                Blend(x, y, colour);
    }

    // An anti-aliased disc.
    void FillDisc(double cx, double cy, double radius, const Rgba& colour) {
        for (int y = static_cast<int>(cy - radius - 1); y <= cy + radius + 1; ++y)
            for (int x = static_cast<int>(cx - radius - 1); x <= cx + radius + 1; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                Blend(x, y, colour, std::clamp(radius - d + 0.5, 0.0, 1.0));
            }
    }
};

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

Rgba MapColour(char cell) {
    switch (cell) {
    case '#': return {150, 104, 62};  // block: any colour that is no other kind
    case 'w': return {128, 128, 128}; // hidden wall: grey
    case 'O': return {0, 0, 255};
    case 'D': return {255, 0, 0};
    case 'S': return {0, 0, 0};
    default: return {255, 255, 255};
    }
}

Canvas DrawMap() {
    Canvas map;
    for (int row = 0; row < Rows; ++row)
        for (int column = 0; column < Columns; ++column)
            map.FillRect(column * Cell, row * Cell, (column + 1) * Cell, (row + 1) * Cell,
                         MapColour(CellAt(column, row)));
    return map;
}

// ---- Back ---------------------------------------------------------------------

constexpr int GaugePanelRight = 64; // pixels: the gauge strip on the left
const int GaugeLefts[] = {8, 32};   // the two gauges, 16 pixels wide
constexpr int GaugeTop = 32, GaugeBottom = 736;

// Deep cistern stone: large dim blocks behind a blue-green haze.
Rgba CisternWall(int x, int y) {
    const double depth = double(y) / Height;
    Rgba colour = Mix(Rgba{14, 24, 46}, Rgba{10, 44, 58}, depth);
    const int course = y / 48;
    const int offset = (course % 2) * 40;
    const bool mortar = (y % 48) < 2 || ((x + offset) % 80) < 2;
    const double stone = Hash((x + offset) / 80, course, 7) * 0.25 + Fractal(x / 40.0, y / 40.0, 11) * 0.35;
    colour = Mix(colour, Rgba{40, 64, 84}, stone * 0.6);
    if (mortar)
        colour = Mix(colour, Rgba{6, 10, 20}, 0.6);
    return colour;
}

void DrawLightShafts(Canvas& back) {
    const double sourceCentre = 24 * Cell; // the pipe above the tower
    for (int y = 0; y < Height; ++y)
        for (int x = GaugePanelRight; x < Width; ++x) {
            const double spread = 60 + y * 0.45;
            const double d = std::abs(x - sourceCentre) / spread;
            const double light = std::exp(-d * d) * (1 - double(y) / Height) * 0.35;
            back.Blend(x, y, Rgba{120, 200, 230, light});
        }
}

void DrawGaugePanel(Canvas& back) {
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < GaugePanelRight; ++x) {
            const double grain = Fractal(x / 8.0, y / 64.0, 21);
            back.At(x, y) = Rgba{34 + grain * 20, 36 + grain * 20, 42 + grain * 22};
        }
    for (const int left : GaugeLefts)
        back.FillRect(left, GaugeTop, left + 16, GaugeBottom, Rgba{8, 10, 14});
}

bool IsHiddenWall(int column, int row) {
    return column >= 0 && column < Columns && row >= 0 && row < Rows && CellAt(column, row) == 'w';
}

// The hidden walls inside the field are panes of thick glass: visible, but
// only just, so a player sees where water will stop.
void DrawGlass(Canvas& back) {
    for (int row = 0; row < Rows; ++row)
        for (int column = 5; column < Columns - 1; ++column) {
            if (!IsHiddenWall(column, row))
                continue;
            for (int y = row * Cell; y < (row + 1) * Cell; ++y)
                for (int x = column * Cell; x < (column + 1) * Cell; ++x) {
                    const double streak = std::fmod(x + y * 0.6, 48.0) < 6 ? 0.18 : 0.0;
                    back.Blend(x, y, Rgba{150, 210, 230, 0.16 + streak});
                    const bool edge = (!IsHiddenWall(column - 1, row) && x == column * Cell) ||
                                      (!IsHiddenWall(column + 1, row) && x == (column + 1) * Cell - 1) ||
                                      (!IsHiddenWall(column, row - 1) && y == row * Cell);
                    if (edge)
                        back.Blend(x, y, Rgba{200, 240, 255, 0.55});
                }
        }
}

Canvas DrawBack() {
    Canvas back;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            back.At(x, y) = CisternWall(x, y);
    DrawLightShafts(back);
    DrawGlass(back);
    DrawGaugePanel(back);
    return back;
}

// ---- Block --------------------------------------------------------------------

// One bevelled sandstone tile per cell, each with its own shade, so any
// cell of the grid looks like a cut stone.
Canvas DrawBlock() {
    Canvas block;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const int column = x / Cell, row = y / Cell;
            const int u = x % Cell, v = y % Cell;
            const double tone = Hash(column, row, 3) * 0.18 - 0.09;
            const double grain = Fractal(x / 6.0, y / 6.0, 5) - 0.5;
            Rgba stone{186 * (1 + tone) + grain * 30, 146 * (1 + tone) + grain * 26,
                       98 * (1 + tone) + grain * 18};
            if (u < 2 || v < 2)
                stone = Mix(stone, Rgba{240, 214, 168}, 0.45);
            else if (u >= Cell - 2 || v >= Cell - 2)
                stone = Mix(stone, Rgba{70, 44, 24}, 0.55);
            if (Hash(x, y, 9) > 0.985)
                stone = Mix(stone, Rgba{90, 60, 34}, 0.5);
            block.At(x, y) = stone;
        }
    return block;
}

// ---- Front --------------------------------------------------------------------

const Rgba BrassDark{92, 66, 26};
const Rgba BrassLight{236, 204, 120};

// A horizontal or vertical metal bar with light and dark edges.
void DrawBar(Canvas& front, int x0, int y0, int x1, int y1) {
    const bool horizontal = (x1 - x0) >= (y1 - y0);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const double t = horizontal ? double(y - y0) / (y1 - y0) : double(x - x0) / (x1 - x0);
            const double shine = std::sin(t * 3.14159);
            front.Blend(x, y, Mix(BrassDark, BrassLight, shine * 0.9));
        }
}

void DrawFrame(Canvas& front) {
    DrawBar(front, Width - 16, 0, Width, Height); // the right edge is a hidden wall
    for (const int left : GaugeLefts) {
        DrawBar(front, left - 3, GaugeTop - 3, left + 19, GaugeTop);
        DrawBar(front, left - 3, GaugeBottom, left + 19, GaugeBottom + 3);
        DrawBar(front, left - 3, GaugeTop, left, GaugeBottom);
        DrawBar(front, left + 16, GaugeTop, left + 19, GaugeBottom);
    }
    // A drop above each gauge says which water it counts.
    front.FillDisc(GaugeLefts[0] + 8, 18, 6, Rgba{40, 120, 255});
    front.FillDisc(GaugeLefts[1] + 8, 18, 6, Rgba{255, 70, 50});
    front.FillDisc(GaugeLefts[0] + 6, 16, 2, Rgba{220, 240, 255, 0.8});
    front.FillDisc(GaugeLefts[1] + 6, 16, 2, Rgba{255, 220, 210, 0.8});
}

// The feed pipe comes down from the top edge and opens over the sources.
void DrawPipe(Canvas& front) {
    int first = Columns, last = -1;
    for (int column = 0; column < Columns; ++column)
        if (CellAt(column, 1) == 'S') {
            first = std::min(first, column);
            last = std::max(last, column);
        }
    const int x0 = first * Cell - 6, x1 = (last + 1) * Cell + 6;
    DrawBar(front, x0, 0, x1, Cell + 4);
    for (int column = first; column <= last; ++column)
        front.FillDisc(column * Cell + 8, Cell + 1, 4, Rgba{20, 16, 10, 0.9});
}

// Grates over outlets (blue glow) and drains (red glow).
void DrawGrates(Canvas& front) {
    for (int row = 0; row < Rows; ++row)
        for (int column = 0; column < Columns; ++column) {
            const char cell = CellAt(column, row);
            if (cell != 'O' && cell != 'D')
                continue;
            const Rgba glow = cell == 'O' ? Rgba{60, 140, 255, 0.35} : Rgba{255, 60, 40, 0.35};
            front.FillRect(column * Cell, row * Cell, (column + 1) * Cell, (row + 1) * Cell, glow);
            for (int bar = 2; bar < Cell; bar += 5)
                if (cell == 'O')
                    front.FillRect(column * Cell + bar, row * Cell, column * Cell + bar + 2, (row + 1) * Cell,
                                   Rgba{30, 30, 40, 0.8});
                else
                    front.FillRect(column * Cell, row * Cell + bar, (column + 1) * Cell, row * Cell + bar + 2,
                                   Rgba{40, 20, 20, 0.8});
        }
}

Canvas DrawFront() {
    Canvas front;
    for (Rgba& p : front.Pixels)
        p = Rgba{0, 0, 0, 0};
    DrawFrame(front);
    DrawPipe(front);
    DrawGrates(front);
    return front;
}

// ---- Files --------------------------------------------------------------------

std::uint8_t Byte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::unique_ptr<std::FILE, FileCloser> OpenForWriting(const std::string& name) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name.c_str(), "wb"));
    if (!file)
        throw std::runtime_error("cannot write " + name);
    return file;
}

void WritePng(const Canvas& canvas, const std::string& name, bool withAlpha) {
    const int channels = withAlpha ? 4 : 3;
    std::vector<std::uint8_t> bytes;
    for (const Rgba& p : canvas.Pixels) {
        bytes.insert(bytes.end(), {Byte(p.r), Byte(p.g), Byte(p.b)});
        if (withAlpha)
            bytes.push_back(Byte(p.a * 255));
    }
    auto file = OpenForWriting(name);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("cannot encode " + name);
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, Width, Height, 8, withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < Height; ++y)
        png_write_row(png, &bytes[static_cast<std::size_t>(y) * Width * channels]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
}

void WriteJpeg(const Canvas& canvas, const std::string& name) {
    std::vector<std::uint8_t> bytes;
    for (const Rgba& p : canvas.Pixels)
        bytes.insert(bytes.end(), {Byte(p.r), Byte(p.g), Byte(p.b)});
    auto file = OpenForWriting(name);
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_compress(&jpeg);
    jpeg_stdio_dest(&jpeg, file.get());
    jpeg.image_width = Width;
    jpeg.image_height = Height;
    jpeg.input_components = 3;
    jpeg.in_color_space = JCS_RGB;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, JpegQuality, TRUE);
    jpeg_start_compress(&jpeg, TRUE);
    while (jpeg.next_scanline < jpeg.image_height) {
        JSAMPROW row = &bytes[static_cast<std::size_t>(jpeg.next_scanline) * Width * 3];
        jpeg_write_scanlines(&jpeg, &row, 1);
    }
    jpeg_finish_compress(&jpeg);
    jpeg_destroy_compress(&jpeg);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: stage-art OUTPUT_FOLDER\n");
        return 1;
    }
    const std::string folder = std::string(argv[1]) + "/";
    try {
        WritePng(DrawMap(), folder + "Map.png", false);
        WriteJpeg(DrawBack(), folder + "Back.jpg");
        WriteJpeg(DrawBlock(), folder + "Block.jpg");
        WritePng(DrawFront(), folder + "Front.png", true);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "stage-art: %s\n", error.what());
        return 1;
    }
    return 0;
}
