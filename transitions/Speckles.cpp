// Speckles, random squares and rectangular shred: lattices and scatters of small squares,
// each frame one clip-and-draw.
//
// 123 to 126: a solid front of the new picture advances from one edge with square
// speckles scattered ahead of it (SpeckleRegion). The generator runs on from frame to
// frame, so the speckles twinkle. On a picture less than 10 pixels across the advancing
// direction the speckle zone is empty and the front comes alone.
//
// 127: squares 2N on a side, centred on the points of a lattice N apart (N = S div 2, or
// S itself when S is 1). Every frame reseeds the shared generator with W * H and draws
// one Random(100) for each lattice point, column by column, so each point draws the same
// value in every frame of a transition and its square shows from the first frame whose
// progress exceeds that value to the end. The reseeding is left in place: later draws,
// by anyone, continue from the state the last frame left.
//
// 142: a rectangle grows about each point of an (N + 1) x (N + 1) lattice W div N across
// and H div N down, its half extents PW div S and PH div S, until the rectangles touch.
//
// Tiny pictures: S is 0 when the longer side times Step is below 45, and both 127 and 142
// then draw what S = 1 gives (N = 1). 127 thus reveals 2 x 2 squares about every pixel,
// at random; 142 grows four rectangles from the corners, PW by PH in half extent, which
// meet by the middle of the transition. Where W div N or H div N is 0 (a picture much
// narrower than N) all lattice columns or rows of 142 coincide, and a rectangle is drawn
// once however many lattice points share it; rectangles that start beyond the picture
// are skipped, so large steps cost no more than the picture holds.
#include <algorithm>
#include <cstdint>

#include "transitions/EffectFamilies.h"
#include "transitions/EffectHelpers.h"

namespace kv {
namespace {

void AddRect(RegionBuilder& builder, int64_t l, int64_t t, int64_t r, int64_t b) {
    builder.Add(detail::SaturateInt32(l), detail::SaturateInt32(t), detail::SaturateInt32(r),
                detail::SaturateInt32(b));
}

// The lattice pitch of 127 and 142: S div 2, or S when S is 1; S = 0 counts as 1.
int64_t LatticePitch(int64_t S) {
    if (S < 1) return 1;
    return S > 1 ? S / 2 : S;
}

template <int32_t HorzMode, int32_t VertMode>
void Speckle(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
             uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    ClipAndDraw(Screen, SpeckleRegion(g.PW, g.PH, g.W, g.H, HorzMode, VertMode), Image);
}

void RandomSquares(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                   uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    RandSeed(static_cast<uint32_t>(g.W) * static_cast<uint32_t>(g.H));
    const int64_t N = LatticePitch(g.S);
    RegionBuilder squares;
    for (int64_t x = 0; x < g.W; x += N)
        for (int64_t y = 0; y < g.H; y += N)
            if (Progress > Random(100)) AddRect(squares, x - N, y - N, x + N, y + N);
    ClipAndDraw(Screen, squares.Build(), Image);
}

void RectangularShred(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                      uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int64_t S = std::max<int64_t>(g.S, 1);
    const int64_t halfW = g.PW / S, halfH = g.PH / S;
    const int64_t N = LatticePitch(g.S);
    const int64_t pitchX = g.W / N, pitchY = g.H / N;
    RegionBuilder rects;
    if (halfW > 0 && halfH > 0) {
        // The last lattice column (row) whose rectangle starts inside the picture; with a
        // pitch of 0 every column (row) is the first.
        const int64_t lastJ = pitchX > 0 ? std::min(N, (g.W + halfW - 1) / pitchX) : 0;
        const int64_t lastI = pitchY > 0 ? std::min(N, (g.H + halfH - 1) / pitchY) : 0;
        for (int64_t i = lastI; i >= 0; --i)
            for (int64_t j = lastJ; j >= 0; --j)
                AddRect(rects, j * pitchX - halfW, i * pitchY - halfH, j * pitchX + halfW,
                        i * pitchY + halfH);
    }
    ClipAndDraw(Screen, rects.Build(), Image);
}

constexpr StyleProc kProcs[] = {
    {123, &Speckle<1, 0>},
    {124, &Speckle<2, 0>},
    {125, &Speckle<0, 1>},
    {126, &Speckle<0, 2>},
    {127, &RandomSquares},
    {142, &RectangularShred},
};

}  // namespace

constinit const FamilyProcs kSpeckles = kProcs;

}  // namespace kv
