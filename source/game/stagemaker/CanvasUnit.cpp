#include "game/stagemaker/CanvasUnit.h"

#include "platform/CheckedFile.h"
#include "platform/PictureWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr int JpegQuality = 92;

std::uint8_t Byte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

} // namespace

TRgba Mix(const TRgba& x, const TRgba& y, double t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

void TCanvas::Blend(int x, int y, const TRgba& colour, double cover) {
    if (x < 0 || y < 0 || x >= CanvasWidth || y >= CanvasHeight)
        return;
    TRgba& p = At(x, y);
    const double a = std::clamp(colour.a * cover, 0.0, 1.0);
    const double outA = a + p.a * (1 - a);
    if (outA <= 0) {
        p = TRgba{0, 0, 0, 0};
        return;
    }
    auto channel = [&](double src, double dst) { return (src * a + dst * p.a * (1 - a)) / outA; };
    p = TRgba{channel(colour.r, p.r), channel(colour.g, p.g), channel(colour.b, p.b), outA};
}

void TCanvas::FillRect(int x0, int y0, int x1, int y1, const TRgba& colour) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            Blend(x, y, colour);
}

void TCanvas::FillDisc(double cx, double cy, double radius, const TRgba& colour) {
    for (int y = static_cast<int>(cy - radius - 1); y <= cy + radius + 1; ++y)
        for (int x = static_cast<int>(cx - radius - 1); x <= cx + radius + 1; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            Blend(x, y, colour, std::clamp(radius - d + 0.5, 0.0, 1.0));
        }
}

platform::Picture CanvasPicture(const TCanvas& canvas, bool withAlpha) {
    platform::Picture picture;
    picture.Width = CanvasWidth;
    picture.Height = CanvasHeight;
    picture.Rgb.reserve(canvas.Pixels.size() * 3);
    for (const TRgba& p : canvas.Pixels) {
        picture.Rgb.insert(picture.Rgb.end(), {Byte(p.r), Byte(p.g), Byte(p.b)});
        if (withAlpha)
            picture.Alpha.push_back(Byte(p.a * 255));
    }
    return picture;
}

void WritePng(const TCanvas& canvas, const std::string& fileName, bool withAlpha) {
    platform::ReplaceFileContents(fileName, platform::EncodePng(CanvasPicture(canvas, withAlpha), fileName));
}

void WriteJpeg(const TCanvas& canvas, const std::string& fileName) {
    platform::ReplaceFileContents(fileName,
                                  platform::EncodeJpeg(CanvasPicture(canvas, false), JpegQuality, fileName));
}
