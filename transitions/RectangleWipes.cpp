// Rectangle wipes: the new picture comes on screen through rectangles that grow with
// the progress. Each frame is one to four stretched copies of the whole new picture or
// of a part of it into rectangles of Screen; everything outside them keeps the old
// screen. Kinds:
//   - expand: the picture (or each half or quarter) squeezed into a growing rectangle;
//   - slide in: the picture at full size moving in from outside;
//   - reveal: the part inside a growing rectangle, at its own place;
//   - expand in / appear and contract: a growing part of the picture magnified over an
//     area larger than the picture, shrinking to its true size as the progress ends;
//   - quarters slide in: the four quarters moving in from four sides;
//   - unroll: a reveal whose front carries a mirrored roll;
//   - build up: a reveal whose unrevealed part shows a thin slice ahead of the front,
//     stretched over the rest.
//
// The copies are listed in drawing order; where they overlap the later one wins.
// Destinations may reach beyond the picture and are cut off there.
//
// Degenerate frames. Apart from the build-ups nothing divides and nothing loops, so
// every size draws a frame:
//   - A copy with a zero-wide or zero-high source or destination draws nothing, so on
//     tiny pictures or at low progress (PW or PH 0, or a roll of width 0) the old screen
//     stays where that copy would have gone.
//   - Destination pixels whose source pixel lies outside the new picture are left as they
//     are (the quarter slide on a picture one or two pixels wide reads from column -1).
//   - Build-ups: the slice ahead of the front is W div S columns (H div S rows). With
//     S = 0 (longer side times Step below 45) the slice is taken to reach the far edge,
//     as it already does for S = 1: the unrevealed part then shows the new picture at
//     its own place. A slice of 0 (S larger than the side, at very large steps) copies
//     nothing, and the frame is the plain reveal over the old screen.
//   - An empty picture draws nothing.
#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "transitions/EffectFamilies.h"
#include "transitions/EffectHelpers.h"

namespace kv {
namespace {

// One stretched copy: source rectangle S of Image into destination rectangle D of
// Screen.
struct Copy {
    Rect D;
    Rect S;
};

// The copies of one frame, at most four.
class CopyList {
public:
    CopyList(std::initializer_list<Copy> copies) {
        for (const Copy& c : copies) copies_[count_++] = c;
    }
    const Copy* begin() const { return copies_; }
    const Copy* end() const { return copies_ + count_; }

private:
    Copy copies_[4];
    int count_ = 0;
};

using Plan = CopyList (*)(const ProgressExtents&);

// The styles made of stretched copies only: the plan gives the copies for the frame's
// extents, and they are drawn in order.
template <Plan Copies>
void Wipe(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step, uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    for (const Copy& c : Copies(g)) StretchedCopy(Screen, c.D, Image, c.S);
}

// A copy of a rectangle to its own place.
Copy Same(const Rect& r) { return {r, r}; }

// ---------------------------------------------------------------------------------------
// Horizontal wipes

CopyList ExpandFromRight(const ProgressExtents& g) {
    return {{{g.W - g.PW, 0, g.W, g.H}, {0, 0, g.W, g.H}}};
}
CopyList ExpandFromLeft(const ProgressExtents& g) {
    return {{{0, 0, g.PW, g.H}, {0, 0, g.W, g.H}}};
}
CopyList SlideInFromRight(const ProgressExtents& g) {
    return {{{g.W - g.PW, 0, 2 * g.W - g.PW, g.H}, {0, 0, g.W, g.H}}};
}
CopyList SlideInFromLeft(const ProgressExtents& g) {
    return {{{g.PW - g.W, 0, g.PW, g.H}, {0, 0, g.W, g.H}}};
}
CopyList RevealFromLeft(const ProgressExtents& g) { return {Same({0, 0, g.PW, g.H})}; }
CopyList RevealFromRight(const ProgressExtents& g) {
    return {Same({g.W - g.PW, 0, g.W, g.H})};
}
CopyList ExpandInFromRight(const ProgressExtents& g) {
    return {{{0, 0, 2 * g.W - g.PW, g.H}, {0, 0, g.PW, g.H}}};
}
CopyList ExpandInFromLeft(const ProgressExtents& g) {
    return {{{g.PW - g.W, 0, g.W, g.H}, {g.W - g.PW, 0, g.W, g.H}}};
}
CopyList ExpandInToMiddle(const ProgressExtents& g) {
    return {{{g.PW - g.W, 0, 2 * g.W - g.PW, g.H},
             {(g.W - g.PW) / 2, 0, (g.W + g.PW) / 2, g.H}}};
}
CopyList ExpandOutFromMiddle(const ProgressExtents& g) {
    return {{{(g.W - g.PW) / 2, 0, (g.W + g.PW) / 2, g.H}, {0, 0, g.W, g.H}}};
}
CopyList RevealOutFromMiddle(const ProgressExtents& g) {
    return {Same({(g.W - g.PW) / 2, 0, (g.W + g.PW) / 2, g.H})};
}
CopyList RevealInFromSides(const ProgressExtents& g) {
    return {Same({0, 0, g.PW / 2 + 1, g.H}), Same({g.W - g.PW / 2 - 1, 0, g.W, g.H})};
}
CopyList ExpandInFromSides(const ProgressExtents& g) {
    return {{{0, 0, g.PW / 2 + 1, g.H}, {0, 0, g.W / 2 + 1, g.H}},
            {{g.W - g.PW / 2 - 1, 0, g.W, g.H}, {g.W / 2, 0, g.W, g.H}}};
}

// ---------------------------------------------------------------------------------------
// Vertical wipes

CopyList ExpandFromBottom(const ProgressExtents& g) {
    return {{{0, g.H - g.PH, g.W, g.H}, {0, 0, g.W, g.H}}};
}
CopyList ExpandFromTop(const ProgressExtents& g) {
    return {{{0, 0, g.W, g.PH}, {0, 0, g.W, g.H}}};
}
CopyList SlideInFromBottom(const ProgressExtents& g) {
    return {{{0, g.H - g.PH, g.W, 2 * g.H - g.PH}, {0, 0, g.W, g.H}}};
}
CopyList SlideInFromTop(const ProgressExtents& g) {
    return {{{0, g.PH - g.H, g.W, g.PH}, {0, 0, g.W, g.H}}};
}
CopyList RevealFromTop(const ProgressExtents& g) { return {Same({0, 0, g.W, g.PH})}; }
CopyList RevealFromBottom(const ProgressExtents& g) {
    return {Same({0, g.H - g.PH, g.W, g.H})};
}
CopyList ExpandInFromBottom(const ProgressExtents& g) {
    return {{{0, 0, g.W, 2 * g.H - g.PH}, {0, 0, g.W, g.PH}}};
}
CopyList ExpandInFromTop(const ProgressExtents& g) {
    return {{{0, g.PH - g.H, g.W, g.H}, {0, g.H - g.PH, g.W, g.H}}};
}
CopyList ExpandInToMiddleHoriz(const ProgressExtents& g) {
    return {{{0, g.PH - g.H, g.W, 2 * g.H - g.PH},
             {0, (g.H - g.PH) / 2, g.W, (g.H + g.PH) / 2}}};
}
CopyList ExpandOutFromMiddleHoriz(const ProgressExtents& g) {
    return {{{0, (g.H - g.PH) / 2, g.W, (g.H + g.PH) / 2}, {0, 0, g.W, g.H}}};
}
CopyList RevealFromMiddleHoriz(const ProgressExtents& g) {
    return {Same({0, (g.H - g.PH) / 2, g.W, (g.H + g.PH) / 2})};
}
CopyList SlideInFromTopBottom(const ProgressExtents& g) {
    return {Same({0, 0, g.W, g.PH / 2 + 1}), Same({0, g.H - g.PH / 2 - 1, g.W, g.H})};
}
CopyList ExpandInFromTopBottom(const ProgressExtents& g) {
    return {{{0, 0, g.W, g.PH / 2 + 1}, {0, 0, g.W, g.H / 2 + 1}},
            {{0, g.H - g.PH / 2 - 1, g.W, g.H}, {0, g.H / 2, g.W, g.H}}};
}

// ---------------------------------------------------------------------------------------
// Corner wipes

CopyList ExpandFromBottomRight(const ProgressExtents& g) {
    return {{{g.W - g.PW, g.H - g.PH, g.W, g.H}, {0, 0, g.W, g.H}}};
}
CopyList ExpandFromTopRight(const ProgressExtents& g) {
    return {{{g.W - g.PW, 0, g.W, g.PH}, {0, 0, g.W, g.H}}};
}
CopyList ExpandFromTopLeft(const ProgressExtents& g) {
    return {{{0, 0, g.PW, g.PH}, {0, 0, g.W, g.H}}};
}
CopyList ExpandFromBottomLeft(const ProgressExtents& g) {
    return {{{0, g.H - g.PH, g.PW, g.H}, {0, 0, g.W, g.H}}};
}
CopyList SlideInFromBottomRight(const ProgressExtents& g) {
    return {{{g.W - g.PW, g.H - g.PH, 2 * g.W - g.PW, 2 * g.H - g.PH}, {0, 0, g.W, g.H}}};
}
CopyList SlideInFromTopRight(const ProgressExtents& g) {
    return {{{g.W - g.PW, g.PH - g.H, 2 * g.W - g.PW, g.PH}, {0, 0, g.W, g.H}}};
}
CopyList SlideInFromTopLeft(const ProgressExtents& g) {
    return {{{g.PW - g.W, g.PH - g.H, g.PW, g.PH}, {0, 0, g.W, g.H}}};
}
CopyList SlideInFromBottomLeft(const ProgressExtents& g) {
    return {{{g.PW - g.W, g.H - g.PH, g.PW, 2 * g.H - g.PH}, {0, 0, g.W, g.H}}};
}
CopyList RevealFromTopLeft(const ProgressExtents& g) { return {Same({0, 0, g.PW, g.PH})}; }
CopyList RevealFromBottomLeft(const ProgressExtents& g) {
    return {Same({0, g.H - g.PH, g.PW, g.H})};
}
CopyList RevealFromBottomRight(const ProgressExtents& g) {
    return {Same({g.W - g.PW, g.H - g.PH, g.W, g.H})};
}
CopyList RevealFromTopRight(const ProgressExtents& g) {
    return {Same({g.W - g.PW, 0, g.W, g.PH})};
}
CopyList AppearAndContractToTopLeft(const ProgressExtents& g) {
    return {{{0, 0, 2 * g.W - g.PW, 2 * g.H - g.PH}, {0, 0, g.PW, g.PH}}};
}
CopyList AppearAndContractToBottomLeft(const ProgressExtents& g) {
    return {{{0, g.PH - g.H, 2 * g.W - g.PW, g.H}, {0, g.H - g.PH, g.PW, g.H}}};
}
CopyList AppearAndContractToBottomRight(const ProgressExtents& g) {
    return {{{g.PW - g.W, g.PH - g.H, g.W, g.H}, {g.W - g.PW, g.H - g.PH, g.W, g.H}}};
}
CopyList AppearAndContractToTopRight(const ProgressExtents& g) {
    return {{{g.PW - g.W, 0, g.W, 2 * g.H - g.PH}, {g.W - g.PW, 0, g.W, g.PH}}};
}

// ---------------------------------------------------------------------------------------
// Centre and quarter wipes

CopyList AppearAndContractToMiddle(const ProgressExtents& g) {
    return {{{g.PW - g.W, g.PH - g.H, 2 * g.W - g.PW, 2 * g.H - g.PH},
             {(g.W - g.PW) / 2, (g.H - g.PH) / 2, (g.W + g.PW) / 2, (g.H + g.PH) / 2}}};
}
CopyList ExpandOutFromCentre(const ProgressExtents& g) {
    return {{{(g.W - g.PW) / 2, (g.H - g.PH) / 2, (g.W + g.PW) / 2, (g.H + g.PH) / 2},
             {0, 0, g.W, g.H}}};
}
CopyList RevealOutFromCentre(const ProgressExtents& g) {
    return {Same({(g.W - g.PW) / 2, (g.H - g.PH) / 2, (g.W + g.PW) / 2, (g.H + g.PH) / 2})};
}
CopyList RevealInToCentre(const ProgressExtents& g) {
    const int32_t dx = g.PW / 2, dy = g.PH / 2;
    return {Same({0, 0, g.W, dy}), Same({0, g.H - dy, g.W, g.H}), Same({0, 0, dx, g.H}),
            Same({g.W - dx, 0, g.W, g.H})};
}
CopyList QuartersRevealInToMiddle(const ProgressExtents& g) {
    const int32_t dx = g.PW / 2 + 1, dy = g.PH / 2 + 1;
    return {Same({0, 0, dx, dy}), Same({0, g.H - dy, dx, g.H}),
            Same({g.W - dx, g.H - dy, g.W, g.H}), Same({g.W - dx, 0, g.W, dy})};
}
CopyList QuartersExpandToMiddle(const ProgressExtents& g) {
    const int32_t cx = g.W / 2 + 1, cy = g.H / 2 + 1;  // where the right and lower quarters start
    const int32_t dx = g.PW / 2, dy = g.PH / 2;
    return {{{0, 0, dx + 1, dy + 1}, {0, 0, cx, cy}},
            {{0, g.H - dy, dx + 1, g.H}, {0, cy, cx, g.H}},
            {{g.W - dx, g.H - dy, g.W, g.H}, {cx, cy, g.W, g.H}},
            {{g.W - dx, 0, g.W, dy + 1}, {cx, 0, g.W, cy}}};
}
// The top-left quarter comes in from the left, the top-right one from the top, the
// bottom-right one from the right and the bottom-left one from the bottom.
CopyList QuartersSlideInToMiddle(const ProgressExtents& g) {
    const int32_t W = g.W, H = g.H, PW = g.PW, PH = g.PH;
    return {{{(PW - W) / 2, 0, PW / 2 + 1, H / 2 + 1}, {0, 0, W / 2 + 1, H / 2 + 1}},
            {{W / 2 - 1, (PH - H) / 2, W, PH / 2 + 1}, {W / 2 - 1, 0, W, H / 2 + 1}},
            {{W - PW / 2, H / 2 - 1, W + (W - PW) / 2, H}, {W / 2 + 1, H / 2 - 1, W, H}},
            {{0, H - PH / 2, W / 2 + 1, H + (H - PH) / 2}, {0, H / 2 + 1, W / 2 + 1, H}}};
}

// ---------------------------------------------------------------------------------------
// Unroll: a reveal whose front carries a roll showing, flipped, the strip of the picture
// just beyond it, like the back of a rolled sheet.

// The roll's width for a front that has moved `extent` along a side of `size`: half the
// extent at first, growing to a tenth of the side, then half of what is left as the
// front nears the far edge.
int32_t RollWidth(int32_t size, int32_t extent) {
    if (extent < size / 5) return extent / 2;
    if (size / 5 + extent <= size) return size / 10;
    return (size - extent) / 2;
}

void UnrollFromLeft(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                    uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int32_t w = RollWidth(g.W, g.PW);
    MirrorCopy(Screen.Canvas(), {g.PW, 0, g.PW + w, g.H}, Image,
               {g.PW + w, 0, g.PW + 2 * w, g.H}, true, false);
    StretchedCopy(Screen, {0, 0, g.PW, g.H}, Image, {0, 0, g.PW, g.H});
}

void UnrollFromRight(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                     uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int32_t w = RollWidth(g.W, g.PW);
    const int32_t front = g.W - g.PW;
    MirrorCopy(Screen.Canvas(), {front - w, 0, front, g.H}, Image,
               {front - 2 * w, 0, front - w, g.H}, true, false);
    StretchedCopy(Screen, {front, 0, g.W, g.H}, Image, {front, 0, g.W, g.H});
}

void UnrollFromTop(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                   uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int32_t w = RollWidth(g.H, g.PH);
    MirrorCopy(Screen.Canvas(), {0, g.PH, g.W, g.PH + w}, Image,
               {0, g.PH + w, g.W, g.PH + 2 * w}, false, true);
    StretchedCopy(Screen, {0, 0, g.W, g.PH}, Image, {0, 0, g.W, g.PH});
}

void UnrollFromBottom(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                      uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int32_t w = RollWidth(g.H, g.PH);
    const int32_t front = g.H - g.PH;
    MirrorCopy(Screen.Canvas(), {0, front - w, g.W, front}, Image,
               {0, front - 2 * w, g.W, front - w}, false, true);
    StretchedCopy(Screen, {0, front, g.W, g.H}, Image, {0, front, g.W, g.H});
}

// ---------------------------------------------------------------------------------------
// Build up: the revealed part at its own place, and the slice of `size` div S columns
// (rows) just ahead of the front stretched over the rest. S is the step size along the
// longer side, also for the vertical build-ups. S = 0 makes the slice reach the far
// edge (see the top of this file).

int32_t SliceLength(int32_t size, int32_t S) { return S > 0 ? size / S : size; }

CopyList BuildUpFromRight(const ProgressExtents& g) {
    const int32_t end = static_cast<int32_t>(
        std::min<int64_t>(int64_t{g.PW} + SliceLength(g.W, g.S), g.W));
    return {Same({0, 0, g.PW, g.H}), {{g.PW, 0, g.W, g.H}, {g.PW, 0, end, g.H}}};
}
CopyList BuildUpFromLeft(const ProgressExtents& g) {
    const int32_t front = g.W - g.PW;
    const int32_t start = std::max(front - SliceLength(g.W, g.S), 0);
    return {Same({front, 0, g.W, g.H}), {{0, 0, front, g.H}, {start, 0, front, g.H}}};
}
CopyList BuildUpFromTop(const ProgressExtents& g) {
    const int32_t end = static_cast<int32_t>(
        std::min<int64_t>(int64_t{g.PH} + SliceLength(g.H, g.S), g.H));
    return {Same({0, 0, g.W, g.PH}), {{0, g.PH, g.W, g.H}, {0, g.PH, g.W, end}}};
}
CopyList BuildUpFromBottom(const ProgressExtents& g) {
    const int32_t front = g.H - g.PH;
    const int32_t start = std::max(front - SliceLength(g.H, g.S), 0);
    return {Same({0, front, g.W, g.H}), {{0, 0, g.W, front}, {0, start, g.W, front}}};
}

constexpr StyleProc kProcs[] = {
    {1, &Wipe<ExpandFromRight>},
    {2, &Wipe<ExpandFromLeft>},
    {3, &Wipe<SlideInFromRight>},
    {4, &Wipe<SlideInFromLeft>},
    {5, &Wipe<RevealFromLeft>},
    {6, &Wipe<RevealFromRight>},
    {7, &Wipe<ExpandInFromRight>},
    {8, &Wipe<ExpandInFromLeft>},
    {9, &Wipe<ExpandInToMiddle>},
    {10, &Wipe<ExpandOutFromMiddle>},
    {11, &Wipe<RevealOutFromMiddle>},
    {12, &Wipe<RevealInFromSides>},
    {13, &Wipe<ExpandInFromSides>},
    {14, &UnrollFromLeft},
    {15, &UnrollFromRight},
    {16, &Wipe<BuildUpFromRight>},   // "Build up from right": the front moves left to right
    {17, &Wipe<BuildUpFromLeft>},    // "Build up from left": the front moves right to left
    {18, &Wipe<ExpandFromBottom>},
    {19, &Wipe<ExpandFromTop>},
    {20, &Wipe<SlideInFromBottom>},
    {21, &Wipe<SlideInFromTop>},
    {22, &Wipe<RevealFromTop>},
    {23, &Wipe<RevealFromBottom>},
    {24, &Wipe<ExpandInFromBottom>},
    {25, &Wipe<ExpandInFromTop>},
    {26, &Wipe<ExpandInToMiddleHoriz>},
    {27, &Wipe<ExpandOutFromMiddleHoriz>},
    {28, &Wipe<RevealFromMiddleHoriz>},
    {29, &Wipe<SlideInFromTopBottom>},
    {30, &Wipe<ExpandInFromTopBottom>},
    {31, &UnrollFromTop},
    {32, &UnrollFromBottom},
    {33, &Wipe<BuildUpFromTop>},     // named "Expand from bottom": the front moves down
    {34, &Wipe<BuildUpFromBottom>},  // named "Expand in from top": the front moves up
    {35, &Wipe<ExpandFromBottomRight>},
    {36, &Wipe<ExpandFromTopRight>},
    {37, &Wipe<ExpandFromTopLeft>},
    {38, &Wipe<ExpandFromBottomLeft>},
    {39, &Wipe<SlideInFromBottomRight>},
    {40, &Wipe<SlideInFromTopRight>},
    {41, &Wipe<SlideInFromTopLeft>},
    {42, &Wipe<SlideInFromBottomLeft>},
    {43, &Wipe<RevealFromTopLeft>},
    {44, &Wipe<RevealFromBottomLeft>},
    {45, &Wipe<RevealFromBottomRight>},
    {46, &Wipe<RevealFromTopRight>},
    {47, &Wipe<AppearAndContractToTopLeft>},
    {48, &Wipe<AppearAndContractToBottomLeft>},
    {49, &Wipe<AppearAndContractToBottomRight>},
    {50, &Wipe<AppearAndContractToTopRight>},
    {51, &Wipe<AppearAndContractToMiddle>},
    {52, &Wipe<ExpandOutFromCentre>},
    {53, &Wipe<RevealOutFromCentre>},
    {54, &Wipe<RevealInToCentre>},
    {55, &Wipe<QuartersRevealInToMiddle>},
    {56, &Wipe<QuartersExpandToMiddle>},
    {57, &Wipe<QuartersSlideInToMiddle>},
};

}  // namespace

constinit const FamilyProcs kRectangleWipes = kProcs;

}  // namespace kv
