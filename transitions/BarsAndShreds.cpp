// Bars and uneven shreds: the new picture shows through a clip region of thin parallel
// pieces, bars 5 pixels thick on a 10-pixel pitch (BarsRegion) or strips 5 pixels thick
// with ragged ends jittered afresh in every frame (ShredRegion).
//
// Every frame is one clip-and-draw of the whole new picture through the region. Neither
// helper divides by anything that can be 0 and their loops advance by a fixed 5 or 10
// pixels, so every picture size and step draws a frame:
//   - S = 0 (longer side times Step below 45): the bars get no snap and reach the far
//     edge only when their extent does.
//   - Tiny pictures: W div 7 (H div 7) is 0 below 7 pixels, so the shreds have no jitter
//     and are plain strips; an extent that reaches the full size (PW = W, possible at
//     Progress 99 on pictures up to 50 pixels wide) shows the whole picture.
//   - An empty picture gives an empty region and leaves Screen as it is.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "transitions/EffectFamilies.h"
#include "transitions/EffectHelpers.h"

namespace kv {
namespace {

// Twice an extent, for the two-phase bars; saturates instead of overflowing.
int32_t Doubled(int32_t extent) {
    return static_cast<int32_t>(
        std::min<int64_t>(2 * int64_t{extent}, std::numeric_limits<int32_t>::max()));
}

// Bars growing from the edges: HorzMode for bars along the rows, VertMode for bars along
// the columns (one of them is 0). Modes 1, 2, 4 and 5 run in two phases, even bars then
// odd bars, over twice the progress extent and snap to the full length within S of it;
// mode 3 grows the even and the odd bars at once over the plain extent, without snap.
template <int HorzMode, int VertMode>
void Bars(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step, uint8_t Progress) {
    static_assert((HorzMode == 0) != (VertMode == 0));
    constexpr bool kTogether = HorzMode == 3 || VertMode == 3;
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int32_t X = HorzMode == 0 ? 0 : kTogether ? g.PW : Doubled(g.PW);
    const int32_t Y = VertMode == 0 ? 0 : kTogether ? g.PH : Doubled(g.PH);
    const int32_t snap = kTogether ? 0 : g.S;
    ClipAndDraw(Screen, BarsRegion(X, Y, g.W, g.H, snap, HorzMode, VertMode), Image);
}

// Ragged strips: horizontal strips grown PW by HorzMode, vertical strips grown PH by
// VertMode (0 for none). Modes: 1 from the right (bottom), 2 from the left (top),
// 3 out from the middle line, 4 in from both edges to the middle line.
template <int HorzMode, int VertMode>
void Shred(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step, uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int32_t X = HorzMode == 0 ? 0 : g.PW;
    const int32_t Y = VertMode == 0 ? 0 : g.PH;
    ClipAndDraw(Screen, ShredRegion(X, Y, g.W, g.H, HorzMode, VertMode), Image);
}

constexpr StyleProc kProcs[] = {
    {60, &Bars<1, 0>},     // Bars in from right
    {61, &Bars<2, 0>},     // Bars in from left
    {62, &Bars<4, 0>},     // Bars left then right
    {63, &Bars<5, 0>},     // Bars right then left
    {64, &Bars<3, 0>},     // Bars from both sides
    {65, &Shred<1, 0>},    // Uneven shred from right
    {66, &Shred<2, 0>},    // Uneven shred from left
    {67, &Shred<3, 0>},    // Uneven shred out from middle (horiz)
    {68, &Shred<4, 0>},    // Uneven shred in to middle (horiz)
    {71, &Bars<0, 1>},     // Bars from bottom
    {72, &Bars<0, 2>},     // Bars from top
    {73, &Bars<0, 4>},     // Bars top then bottom
    {74, &Bars<0, 5>},     // Bars bottom then top
    {75, &Bars<0, 3>},     // Bars from top and bottom
    {76, &Shred<0, 1>},    // Unven shred from bottom
    {77, &Shred<0, 2>},    // Uneven shred from top
    {78, &Shred<0, 3>},    // Uneven shred from horizon
    {79, &Shred<0, 4>},    // Uneven shred in to horizon
    {100, &Shred<1, 1>},   // Uneven shred from bottom and right
    {101, &Shred<1, 2>},   // Uneven shred from top and right
    {102, &Shred<2, 1>},   // Uneven shred from bottom and left
    {103, &Shred<2, 2>},   // Uneven shred from top and left
    {104, &Shred<1, 3>},   // Uneven shred from horiz and right
    {105, &Shred<2, 3>},   // Uneven shred from horiz and left
    {106, &Shred<3, 1>},   // Uneven shred from bottom and vert middle
    {107, &Shred<3, 2>},   // Uneven shred from top and vert middle
    {108, &Shred<3, 3>},   // Uneven shred from centre
    {109, &Shred<4, 4>},   // Uneven shred to centre
};

}  // namespace

constinit const FamilyProcs kBarsAndShreds = kProcs;

}  // namespace kv
