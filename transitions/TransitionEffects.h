#pragma once
// The catalogue of the 150 transition styles and the contract of their procedures.
//
// A style is a number 1..150; EffectTable[s - 1] is style s. A style procedure
// (TransitionProc) composes one frame of a transition:
//   Screen    the frame being composed, holding the snapshot of the old screen on entry;
//             the procedure draws the new picture, or a transformed piece of it, over it.
//   Image     the new picture, the same size as Screen; read only.
//   R         (0, 0, W, H), the whole picture.
//   Step      the player's step (1..100), used only through ProgressGeometry (its S).
//   Progress  completion percentage, 1..99 (the player draws 0 and 100 itself).
// A procedure draws only into Screen and reads only Image; keeps no state and no
// reference to either between calls; may run on the player's worker thread with both
// canvases locked, so it calls no user-interface function; removes any clip region it
// selects before it returns (EffectHelpers.h ClipAndDraw does all of this); may draw
// beyond R, which the bitmap cuts off. Styles 118..122 work on the pixels directly; the
// others draw with canvas and region operations only.
//
// The procedures live in one source file per family; EffectFamilies.h says how a family
// plugs in. A style whose family is not built yet has a procedure that throws
// kv::Error("style N is not available").
#include <array>
#include <cstdint>

#include "graphics/Bitmap.h"
#include "graphics/Geometry.h"

namespace kv {

using TransitionProc = void (*)(Bitmap& Screen, const Bitmap& Image, const Rect& R,
                                uint16_t Step, uint8_t Progress);

struct TEffect {
    const char* Name;
    TransitionProc Proc;
};

inline constexpr int kStyleCount = 150;

// The 150 rows in style order. Filled in during static initialisation from the family
// lists: read it from code that runs after main() has started, not from another static
// initialiser.
extern const std::array<TEffect, kStyleCount> EffectTable;

// True when style (1..150) has a procedure, false for an unbuilt style or a number out
// of range.
bool StyleAvailable(int style);

// Runs style 1..150 on Screen with R = (0, 0, Screen width, Screen height). Throws
// kv::Error "style N is not available" for a number out of range or an unbuilt style,
// and kv::Error when Image and Screen differ in size. Takes no canvas locks.
void RunStyle(int style, Bitmap& Screen, const Bitmap& Image, uint16_t Step, uint8_t Progress);

}  // namespace kv
