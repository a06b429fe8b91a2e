#pragma once
// A picture of the field held in doubles while it is drawn, and its files:
// PNG (with or without alpha) and JPEG. Colours are 0..255 per channel,
// alpha 0..1; the bytes round each value once, so the same drawing gives
// the same bytes on every run.

#include "platform/PictureDecoder.h"

#include <string>
#include <vector>

inline constexpr int CanvasWidth = 1024; // pixels, the field
inline constexpr int CanvasHeight = 768;

struct TRgba {
    double r = 0, g = 0, b = 0, a = 1;
};

TRgba Mix(const TRgba& x, const TRgba& y, double t);

class TCanvas {
public:
    std::vector<TRgba> Pixels = std::vector<TRgba>(CanvasWidth * CanvasHeight);

    TRgba& At(int x, int y) { return Pixels[y * CanvasWidth + x]; }
    const TRgba& At(int x, int y) const { return Pixels[y * CanvasWidth + x]; }

    // Paints `colour` over the pixel with its alpha scaled by `cover`;
    // pixels off the canvas are left alone.
    void Blend(int x, int y, const TRgba& colour, double cover = 1.0);
    void FillRect(int x0, int y0, int x1, int y1, const TRgba& colour);
    // An anti-aliased disc.
    void FillDisc(double cx, double cy, double radius, const TRgba& colour);
};

// The canvas in 8-bit channels, as the game's textures take it.
platform::Picture CanvasPicture(const TCanvas& canvas, bool withAlpha);

// Both raise an Exception naming the file when it cannot be written; a
// failed write leaves the file that was there.
void WritePng(const TCanvas& canvas, const std::string& fileName, bool withAlpha);
void WriteJpeg(const TCanvas& canvas, const std::string& fileName);
