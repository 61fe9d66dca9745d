// Criss-cross reveals: the new picture is woven in through a lattice of bars 5 pixels
// thick on a 10-pixel pitch (BarsRegion), horizontal bars growing in from the left or
// right edge and vertical bars from the top or bottom edge.
//
// The two-phase styles (86 to 93, 99) grow the bars by twice the progress extents: the
// even bars fill over the first half of the transition, the odd bars over the second,
// from the same edge (86 to 89) or from the opposite one (the bounce styles 90 to 93).
// Styles 94 to 98 grow by the progress extents themselves, with mode 3 on one or both
// axes (even bars from one edge, odd bars from the other at the same time), and never
// reach the second phase. Style 98 passes no snap, so its bars never jump to full
// length. Style 99 shows the intersection of a lattice from the bottom right and one from
// the top left: crossings of even rows and columns spreading from the top-right and
// bottom-left corners.
//
// Every frame is one clip-and-draw. The bar loops step by the fixed pitch and nothing
// divides by S: with S = 0 (tiny pictures, step 1) the bars simply never snap; with a
// step so large that S exceeds the picture, the first-phase bars are full at once; on a
// picture without width or height the lattice is empty and nothing is drawn.
#include <cstdint>
#include <utility>

#include "transitions/EffectFamilies.h"
#include "transitions/EffectHelpers.h"

namespace kv {
namespace {

// How far the bars grow: PW and PH, doubled for the two-phase styles.
struct Growth {
    int32_t X, Y;
};

Growth BarGrowth(const ProgressExtents& g, bool doubled) {
    const int64_t factor = doubled ? 2 : 1;
    return {detail::SaturateInt32(factor * g.PW), detail::SaturateInt32(factor * g.PH)};
}

template <bool Doubled, bool Snap, int32_t HorzMode, int32_t VertMode>
void CrissCross(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const Growth grow = BarGrowth(g, Doubled);
    ClipAndDraw(Screen,
                BarsRegion(grow.X, grow.Y, g.W, g.H, Snap ? g.S : 0, HorzMode, VertMode),
                Image);
}

// 99: the lattice grown from the bottom right intersected with the one from the top left.
void CrissCrossBottomLeftTopRight(Bitmap& Screen, const Bitmap& Image, const Rect& R,
                                  uint16_t Step, uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const Growth grow = BarGrowth(g, true);
    Region region = BarsRegion(grow.X, grow.Y, g.W, g.H, g.S, 1, 1);
    region &= BarsRegion(grow.X, grow.Y, g.W, g.H, g.S, 2, 2);
    ClipAndDraw(Screen, std::move(region), Image);
}

constexpr StyleProc kProcs[] = {
    {86, &CrissCross<true, true, 1, 1>},
    {87, &CrissCross<true, true, 1, 2>},
    {88, &CrissCross<true, true, 2, 1>},
    {89, &CrissCross<true, true, 2, 2>},
    {90, &CrissCross<true, true, 4, 4>},
    {91, &CrissCross<true, true, 4, 5>},
    {92, &CrissCross<true, true, 5, 4>},
    {93, &CrissCross<true, true, 5, 5>},
    {94, &CrissCross<false, true, 1, 3>},
    {95, &CrissCross<false, true, 2, 3>},
    {96, &CrissCross<false, true, 3, 1>},
    {97, &CrissCross<false, true, 3, 2>},
    {98, &CrissCross<false, false, 3, 3>},
    {99, &CrissCrossBottomLeftTopRight},
};

}  // namespace

constinit const FamilyProcs kCrissCross = kProcs;

}  // namespace kv
