// Sweeps and turning shapes: polygons about the picture's centre (W div 2, H div 2).
//
// The sweeps (143, 144) show the new picture inside a fan that opens from twelve o'clock
// like a clock hand making one turn: a polygon of the centre and Progress points on the
// circle through the picture's corners, 3.6 degrees apart, the last one a step short of
// the hand; at Progress 1 the fan is a line and shows nothing. The turning shapes (149,
// 150) grow a PW x PH rectangle, or a four-pointed star with tips 2PW and 2PH from the
// centre and inner corners at (±PW div 2, ±PH div 2), while turning them one full turn
// clockwise.
//
// Every frame is one clip-and-draw. Nothing divides by S or a size: on tiny pictures the
// radius or the extents are 0, the polygons are flat and nothing shows.
#include <cmath>
#include <cstdint>
#include <utility>

#include "transitions/EffectFamilies.h"
#include "transitions/EffectHelpers.h"

namespace kv {
namespace {

using detail::SaturateInt32;

// The distance from the centre to a corner, rounded up: the smallest r with
// r * r >= CX² + CY². The sum is taken in 64 bits; in 32 bits it wraps around once a
// picture is wider (or taller) than about 92 000 pixels, and its square root is no number.
int32_t CornerRadius(int64_t CX, int64_t CY) {
    const int64_t sum = CX * CX + CY * CY;
    int64_t r = static_cast<int64_t>(std::sqrt(static_cast<long double>(sum)));
    while (r > 0 && r * r > sum) --r;
    while ((r + 1) * (r + 1) <= sum) ++r;
    if (r * r < sum) ++r;
    return SaturateInt32(r);
}

// Style 143 (Direction +1) and 144 (-1): the fan from straight up, turning clockwise or
// anticlockwise on screen, Progress segments of 3.6 degrees of which the last is left
// open.
template <int Direction>
void Sweep(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step, uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int32_t CX = g.W / 2, CY = g.H / 2;
    const long double start = -kPi / 2;
    const long double end = Direction * (Progress * kPi / 50) - kPi / 2;
    ClipAndDraw(Screen, SectorRegion(CX, CY, CornerRadius(CX, CY), start, end, Progress), Image);
}

// The corners turned clockwise about the centre by Progress hundredths of a full turn,
// as the polygon clip for the new picture.
template <size_t Count>
void RevealTurned(Bitmap& Screen, const Bitmap& Image, const int64_t (&corners)[Count][2],
                  int32_t CX, int32_t CY, uint8_t Progress) {
    Point points[Count];
    for (size_t k = 0; k < Count; ++k)
        points[k] = Point{SaturateInt32(corners[k][0]), SaturateInt32(corners[k][1])};
    RotatePoints(points, CX, CY, Progress * kPi / 50);
    ClipAndDraw(Screen, Region::Polygon(points), Image);
}

// Style 149: the centred PW x PH rectangle.
void RotationalRectangle(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                         uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int64_t CX = g.W / 2, CY = g.H / 2, HX = g.PW / 2, HY = g.PH / 2;
    const int64_t corners[4][2] = {
        {CX - HX, CY - HY}, {CX + HX, CY - HY}, {CX + HX, CY + HY}, {CX - HX, CY + HY}};
    RevealTurned(Screen, Image, corners, static_cast<int32_t>(CX), static_cast<int32_t>(CY),
                 Progress);
}

// Style 150: the star with tips 2PW left and right and 2PH up and down of the centre.
void RotationalStar(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                    uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int64_t CX = g.W / 2, CY = g.H / 2, HX = g.PW / 2, HY = g.PH / 2;
    const int64_t PW = g.PW, PH = g.PH;
    const int64_t corners[8][2] = {{CX - 2 * PW, CY}, {CX - HX, CY - HY}, {CX, CY - 2 * PH},
                                   {CX + HX, CY - HY}, {CX + 2 * PW, CY}, {CX + HX, CY + HY},
                                   {CX, CY + 2 * PH},  {CX - HX, CY + HY}};
    RevealTurned(Screen, Image, corners, static_cast<int32_t>(CX), static_cast<int32_t>(CY),
                 Progress);
}

constexpr StyleProc kProcs[] = {
    {143, &Sweep<+1>},
    {144, &Sweep<-1>},
    {149, &RotationalRectangle},
    {150, &RotationalStar},
};

}  // namespace

constinit const FamilyProcs kSweepsAndTurns = kProcs;

}  // namespace kv
