// Curved and circular reveals: the new picture shows through one rounded rectangle whose
// corner ellipses are so large that its front is a curve.
//
// Styles 58, 59, 69 and 70 sweep a half-ellipse front in from an edge: the rectangle
// reaches from two picture sizes outside that edge to twice the progress extent, and 5
// pixels beyond the two neighbouring edges, so that its corner ellipse (2W by 2W, or 2H
// by 2H, reduced to the rectangle's height or width) rounds the whole leading side.
// Styles 80 to 83 grow a rectangle from far outside one corner; its inner corner is a
// quarter-ellipse with half-axes W and H (style 83: H and H, a quarter circle on a
// landscape picture). Style 84 opens a nearly elliptical rounded rectangle from the
// centre, 2PW by 2PH with corner ellipses of 1.8 PW by 1.8 PH; style 85 shows the new
// picture outside such a shape 2(W - PW) by 2(H - PH), shrinking onto the centre.
//
// Every frame is one clip-and-draw. Nothing divides by a progress value or by S, so
// degenerate pictures need no special case: with PW or PH 0 (tiny pictures, early
// progress) the rectangle of 84 is empty and nothing shows, 85 shows the picture outside
// its shape, the edge and corner styles show at most the pixels their ellipse reaches,
// and a picture without width or height gets an empty clip.
#include <cstdint>
#include <utility>

#include "transitions/EffectFamilies.h"
#include "transitions/EffectHelpers.h"

namespace kv {
namespace {

// CreateRoundRectRgn's arguments, worked out in 64 bits (3W and the like stay exact on
// any picture) and saturated when the region is made.
struct RoundRectArgs {
    int64_t l, t, r, b, w, h;
};

Region MakeRoundRect(const RoundRectArgs& a) {
    using detail::SaturateInt32;
    return Region::RoundRect(SaturateInt32(a.l), SaturateInt32(a.t), SaturateInt32(a.r),
                             SaturateInt32(a.b), SaturateInt32(a.w), SaturateInt32(a.h));
}

template <int Style>
RoundRectArgs CurvedShape(const ProgressExtents& g) {
    const int64_t W = g.W, H = g.H, PW = g.PW, PH = g.PH;
    if constexpr (Style == 58) return {-2 * W, -5, 2 * PW, H + 5, 2 * W, 2 * W};
    if constexpr (Style == 59) return {W - 2 * PW, -5, 3 * W, H + 5, 2 * W, 2 * W};
    if constexpr (Style == 69) return {-5, -2 * H, W + 5, 2 * PH, 2 * H, 2 * H};
    if constexpr (Style == 70) return {-5, H - 2 * PH, W + 5, 3 * H, 2 * H, 2 * H};
    if constexpr (Style == 80) return {-2 * W, -2 * H, 2 * PW, 2 * PH, 2 * W, 2 * H};
    if constexpr (Style == 81) return {W - 2 * PW, -2 * H, 3 * W, 2 * PH, 2 * W, 2 * H};
    if constexpr (Style == 82) return {-2 * W, H - 2 * PH, 2 * PW, 3 * H, 2 * W, 2 * H};
    // 83 rounds with 2H both ways, unlike its three siblings.
    if constexpr (Style == 83) return {W - 2 * PW, H - 2 * PH, 3 * W, 3 * H, 2 * H, 2 * H};
    if constexpr (Style == 84)
        return {W / 2 - PW, H / 2 - PH, W / 2 + PW, H / 2 + PH, (9 * PW) / 5, (9 * PH) / 5};
    if constexpr (Style == 85)
        return {PW - W / 2, PH - H / 2, (3 * W) / 2 - PW, (3 * H) / 2 - PH, (9 * (W - PW)) / 5,
                (9 * (H - PH)) / 5};
}

template <int Style>
void CurvedReveal(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                  uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    Region region = MakeRoundRect(CurvedShape<Style>(g));
    // 85: the picture minus the shrinking shape.
    if constexpr (Style == 85) region = Region(Rect{0, 0, g.W, g.H}) ^ region;
    ClipAndDraw(Screen, std::move(region), Image);
}

constexpr StyleProc kProcs[] = {
    {58, &CurvedReveal<58>}, {59, &CurvedReveal<59>}, {69, &CurvedReveal<69>},
    {70, &CurvedReveal<70>}, {80, &CurvedReveal<80>}, {81, &CurvedReveal<81>},
    {82, &CurvedReveal<82>}, {83, &CurvedReveal<83>}, {84, &CurvedReveal<84>},
    {85, &CurvedReveal<85>},
};

}  // namespace

constinit const FamilyProcs kCurvedReveals = kProcs;

}  // namespace kv
