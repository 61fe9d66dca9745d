#pragma once
// Painting helpers of the artwork maker: colours, anti-aliased shapes by coverage,
// blurs, shadows, photographs cropped to a box, and the stroke font for titles.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "graphics/Bitmap.h"

namespace kv::art {

struct Rgb {
    float R = 0, G = 0, B = 0;  // 0..255
};
Rgb Mix(Rgb a, Rgb b, float t);
Rgb ReadPixel(const Bitmap& b, int x, int y);
void WritePixel(Bitmap& b, int x, int y, Rgb c);
// Lays colour c over the pixel with the given opacity (0..1).
void BlendPixel(Bitmap& b, int x, int y, Rgb c, float alpha);

// Paints every pixel of the box [x0, x1) x [y0, y1) whose coverage (sampled at the
// pixel's centre, 0..1) is above zero with colour(x, y).
void PaintCoverage(Bitmap& b, int x0, int y0, int x1, int y1, const std::function<float(float, float)>& coverage,
                   const std::function<Rgb(float, float)>& colour, float opacity = 1.0f);

// Coverage of a disc, a ring and a rounded rectangle, anti-aliased over one pixel.
float DiscCoverage(float x, float y, float cx, float cy, float r);
float RoundRectCoverage(float x, float y, float left, float top, float right, float bottom, float radius);
// Signed distance to a rounded rectangle (negative inside).
float RoundRectDistance(float x, float y, float left, float top, float right, float bottom, float radius);

// A soft shadow under a rounded rectangle: darkest at its edge, gone `spread` pixels out.
void DropShadow(Bitmap& b, float left, float top, float right, float bottom, float radius, float spread,
                float opacity);

// Three box blurs (close to a Gaussian) of the given radius.
Bitmap Blur(const Bitmap& source, int radius);

// The photograph scaled to cover w x h and cropped there; focusX/focusY (0..1) say which
// part of the overhang stays.
Bitmap CoverCrop(const Bitmap& photo, int w, int h, float focusX = 0.5f, float focusY = 0.5f);
Bitmap LoadPhoto(const std::filesystem::path& path);

// The stroke font: letters drawn as anti-aliased strokes. `size` is the capital height in
// pixels; the text's top-left is (x, y). Letters it lacks throw kv::Error.
struct TextStyle {
    float Size = 12;
    float Weight = 1.2f;   // stroke width in pixels
    float Tracking = 0;    // extra space between letters, in pixels
    Rgb Colour{255, 255, 255};
    float Opacity = 1.0f;
};
float TextWidth(std::string_view text, const TextStyle& style);
void DrawText(Bitmap& b, float x, float y, std::string_view text, const TextStyle& style);

// Writes a Windows icon file holding the given images (each square, up to 256 pixels),
// as 32-bit images with their alpha.
void WriteIcon(const std::filesystem::path& path, const std::vector<Bitmap>& images);

}  // namespace kv::art
