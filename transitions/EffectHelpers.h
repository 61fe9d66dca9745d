#pragma once
// The raster helpers shared by the style procedures, and the two drawing patterns they
// repeat (ClipAndDraw, StretchedCopy).
//
// Arithmetic: integer division truncates toward zero (C++ /), MulDiv and Round are those
// of graphics/RasterMath.h, Random is the shared generator of graphics/Random.h, angles
// are in radians and real arithmetic is done in long double.
//
// Regions are rebuilt for every frame. To union many pieces (a lattice of squares or
// triangles, a row of slats), add them to a RegionBuilder and Build() once: that is one
// sweep, where |= piece by piece merges each piece into an ever larger result. |= stays
// cheap when the pieces come from top to bottom without overlapping.
#include <cstdint>
#include <span>

#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Geometry.h"
#include "graphics/RasterMath.h"
#include "graphics/Random.h"
#include "graphics/Region.h"

namespace kv {

inline constexpr long double kPi = 3.141592653589793238462643383279502884L;

// ---------------------------------------------------------------------------------------
// Drawing patterns

// Clip-and-draw: selects region as Screen's clipping region, draws the whole Image at
// (0, 0) so that only the pixels inside the region change, and selects no clip again
// (also when drawing throws). Holds Screen's canvas lock throughout.
void ClipAndDraw(Bitmap& Screen, Region region, const Bitmap& Image);

// Stretched copy: rectangle S of Image into rectangle D of Screen, scaled to D
// (Canvas::CopyRect, nearest pixel; D may reach beyond Screen).
inline void StretchedCopy(Bitmap& Screen, const Rect& D, const Bitmap& Image, const Rect& S) {
    Screen.Canvas().CopyRect(D, Image, S);
}

// ---------------------------------------------------------------------------------------
// The helpers

// W and H of R and the progress extents. Along the longer side (W when W >= H):
// PW = MulDiv(W, Progress, 100), PH = MulDiv(PW, H, W), S = MulDiv(W, Step, 90); and
// with H the longer side PH = MulDiv(H, Progress, 100), PW = MulDiv(PH, W, H),
// S = MulDiv(H, Step, 90). S is 0 when the longer side times Step is below 45.
// A negative extent of R counts as 0; with no width and no height all five are 0.
struct ProgressExtents {
    int32_t W, H, PW, PH, S;
};
ProgressExtents ProgressGeometry(const Rect& R, uint16_t Step, uint8_t Progress);

// Copies rectangle S of bitmap (first cut to the bitmap) into D on the canvas, mirrored
// left-right and/or top-bottom. Mirroring replaces D.left, D.right by D.right + 1,
// D.left - 1 (and likewise top and bottom) before the stretching copy. With the
// negative-extent rule of graphics/Canvas.h the mirrored copy then covers the columns
// D.left .. D.right + 1, two more than D itself, both beyond its right edge: D (10, 0,
// 20, 5) mirrored left-right becomes origin 21, width -12, and covers columns 10..21
// with S stretched to 12 columns. Rows likewise for top-bottom.
void MirrorCopy(Canvas& canvas, Rect D, const Bitmap& bitmap, Rect S, bool mirrorLeftRight,
                bool mirrorTopBottom);

// Dest := (Dest * (100 - Percent) + Source * Percent) div 100 for the blue, green and red
// bytes of every pixel of Source's size; the fourth byte of Dest is kept. Percent is
// clamped to 0..100 and only the part that both bitmaps cover is blended.
void BlendBitmap(Bitmap& Dest, const Bitmap& Source, int32_t Percent);

// The blend of BlendBitmap over one run of pixels: dest[b] := (dest[b] * (100 - percent)
// + source[b] * percent) div 100 for the first three bytes of each of `pixels` pixels,
// the fourth byte kept; percent must be 0..100. BlendPixels is the fastest path the build
// has (SSE2 where the compiler targets it, which x86-64 always does); BlendPixelsPlain is
// plain C++ and gives the same bytes. kBlendPixelsVectorised tells which BlendPixels is.
void BlendPixels(uint8_t* dest, const uint8_t* source, size_t pixels, uint32_t percent);
void BlendPixelsPlain(uint8_t* dest, const uint8_t* source, size_t pixels, uint32_t percent);
#if defined(__SSE2__)
inline constexpr bool kBlendPixelsVectorised = true;
#else
inline constexpr bool kBlendPixelsVectorised = false;
#endif

// Turns Source by Angle about (CX, CY) into Dest (counter-clockwise on screen for a
// positive Angle), pulling each destination pixel from the source in 16.16 fixed point:
// C = Trunc(cos(-A) * 65536), S = Trunc(sin(-A) * 65536); for destination column x and
// row r (from the top), u = x + 1 - CX and v = H - r - CY (rows counted upward),
// sx = CX + hi(u * C - v * S), sy = CY + hi(u * S + v * C), where the products and sums
// wrap around in 32 bits and hi(t) is bits 16..31 of t as a signed 16-bit number. When
// 0 <= sx < W and 0 <= sy < H the pixel takes source pixel (sx, H - 1 - sy); otherwise
// it keeps its value. At A = 0 the copy is shifted: pixel (x, r) takes (x + 1, r - 1).
// W and H are Source's; pixels outside Dest are skipped. Dest may be Source itself.
void RotateBitmap(Bitmap& Dest, const Bitmap& Source, int32_t CX, int32_t CY, long double Angle);

// Turns the points about (CX, CY) by Angle: x' = Round(dx cos A - dy sin A) + CX,
// y' = Round(dx sin A + dy cos A) + CY (clockwise on screen for a positive Angle, y
// growing downward; Round halves to even). Results saturate at the int32 range.
void RotatePoints(std::span<Point> points, int32_t CX, int32_t CY, long double Angle);

// Bars 5 pixels thick on a 10-pixel pitch: horizontal bars grown X pixels and vertical
// bars grown Y pixels across a W x H picture. The even bars start at 0, 10, 20, ..., the
// odd ones at 5, 15, 25, ....
//   Modes (horizontal; for vertical bars read bottom for right, top for left):
//   0 none; 1 from the right edge; 2 from the left edge; 3 even bars from the right and
//   odd bars from the left at once; 4 even bars from the left, then odd bars from the
//   right; 5 even bars from the right, then odd bars from the left.
//   First phase (X <= W): if X + Snap > W the bars jump to the full width, then mode 1
//   or 5 covers W - X .. W of each even bar, 2 or 4 covers 0 .. X, 3 covers W - X .. W
//   of each even bar and 0 .. X of each odd one.
//   Second phase (X > W): every even bar is full, and the odd bars cover 2W - X .. W
//   (modes 1, 4) or 0 .. X - W (modes 2, 5); mode 3 and 0 add nothing more.
// Bars may reach a few pixels beyond W and H; the bitmap cuts that off.
// Callers of the two-phase modes pass twice the progress extent.
Region BarsRegion(int32_t X, int32_t Y, int32_t W, int32_t H, int32_t Snap, int32_t HorzMode,
                  int32_t VertMode);

// Strips 5 pixels thick with ends jittered at random. Horizontal strips (HorzMode != 0)
// are rows y .. y + 5 + H mod 5 for y = 0, 5, 10, ... below H; with J = W div 7 while
// X < W (else 0) and R1..R4 successive draws of Random(J):
//   1 from the right: (W - X + R1 - R2, y) .. (W, b)
//   2 from the left:  (0, y) .. (X + R1 - R2, b)
//   3 out from the middle: ((W - X + R1 - R2) div 2 .. W div 2) and (W div 2 .. (W + X +
//     R3 - R4) div 2)
//   other, in to the middle: (W - (X + R1 - R2) div 2 .. W) and (0 .. (X + R3 - R4) div 2)
// Vertical strips (VertMode != 0) follow the same rules on columns with H, Y and
// J = H div 7, after the horizontal ones. Both modes 0 give the empty region.
Region ShredRegion(int32_t X, int32_t Y, int32_t W, int32_t H, int32_t HorzMode, int32_t VertMode);

// A solid front with square speckles scattered ahead of it. Horizontal (HorzMode != 0):
// Z = W div 10 while X < W (else 0), f = max(Z div 20, 2), n = Z div f,
// t = ((3Z) div f) div 4; bands of height f every f div 2 rows below H. Each band holds
// the front (mode 1: W - X .. W; other: 0 .. X) and, for k = n down to 1, the speckle k
// cells ahead of the front when (k <= t ? 1 : 0) >= Random(k) (one draw for every k).
// Vertical (VertMode != 0) the same on columns from the bottom (1) or the top (other).
// As f is at least 2 the loops always end; a picture narrower (lower) than 10 pixels
// has Z = 0 and n = 0: the front alone.
Region SpeckleRegion(int32_t X, int32_t Y, int32_t W, int32_t H, int32_t HorzMode,
                     int32_t VertMode);

// The triangle through the three points, winding fill (Region::Polygon).
Region TriangleRegion(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3);

// A fan: the polygon of (CX, CY) followed by Count rim points at the angles
// StartAngle + (i - 1) * d, d = (EndAngle - StartAngle) / Count, i = 1..Count, each
// (Round(Radius cos a) + CX, Round(Radius sin a) + CY); winding fill. The last rim point
// lies at EndAngle - d. Count <= 0 gives the empty region.
Region SectorRegion(int32_t CX, int32_t CY, int32_t Radius, long double StartAngle,
                    long double EndAngle, int32_t Count);

}  // namespace kv
