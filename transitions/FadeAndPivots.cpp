// Fade and pivots: the styles that work on the pixels of the two bitmaps directly.
//
// The fade (118) cross-fades in one pass: every colour byte of Screen becomes
// (old * (100 - Progress) + new * Progress) div 100 and the fourth byte keeps the old
// value (BlendBitmap). The pivots (119 to 122) turn the new picture into place about one
// of its corners, a quarter turn at the start and none at the end (RotateBitmap, 16.16
// fixed point, nearest pixel); pixels whose source falls outside the new picture keep
// the old one. RotateBitmap counts rows upward from the bottom, so CY = -1 puts the pivot
// just below the bottom edge and CY = R.Bottom just above the top edge.
//
// None of them uses Step or divides by anything derived from the picture size, so tiny
// pictures need no special case: a 1 x 1 picture fades its one pixel, and a pivot shows
// whatever part of the turned picture still lands on it.
#include <cstdint>

#include "transitions/EffectFamilies.h"
#include "transitions/EffectHelpers.h"

namespace kv {
namespace {

void Fade(Bitmap& Screen, const Bitmap& Image, const Rect&, uint16_t, uint8_t Progress) {
    BlendBitmap(Screen, Image, Progress);
}

// The quarter turn still to go, (100 - Progress) * pi / 200, signed: positive turns the
// picture anticlockwise on screen.
long double TurnLeft(uint8_t Progress) {
    return static_cast<long double>(100 - int32_t{Progress}) * kPi / 200;
}

// 119: pivot at the bottom-left corner; starts above the picture, turns clockwise.
void PivotFromTopLeft(Bitmap& Screen, const Bitmap& Image, const Rect&, uint16_t,
                      uint8_t Progress) {
    RotateBitmap(Screen, Image, -1, -1, TurnLeft(Progress));
}

// 120: pivot at the top-left corner; starts below the picture, turns anticlockwise.
void PivotFromBottomLeft(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t,
                         uint8_t Progress) {
    RotateBitmap(Screen, Image, -1, R.Bottom, -TurnLeft(Progress));
}

// 121: pivot at the bottom-right corner; starts above the picture, turns anticlockwise.
void PivotFromTopRight(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t,
                       uint8_t Progress) {
    RotateBitmap(Screen, Image, R.Right, -1, -TurnLeft(Progress));
}

// 122: pivot at the top-right corner; starts below the picture, turns clockwise.
void PivotFromBottomRight(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t,
                          uint8_t Progress) {
    RotateBitmap(Screen, Image, R.Right, R.Bottom, TurnLeft(Progress));
}

constexpr StyleProc kProcs[] = {
    {118, &Fade},
    {119, &PivotFromTopLeft},
    {120, &PivotFromBottomLeft},
    {121, &PivotFromTopRight},
    {122, &PivotFromBottomRight},
};

}  // namespace

constinit const FamilyProcs kFadeAndPivots = kProcs;

}  // namespace kv
