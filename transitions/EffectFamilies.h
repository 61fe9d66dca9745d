#pragma once
// How the style families plug into EffectTable.
//
// Each family is one source file, transitions/<Family>.cpp, that defines its style
// procedures and one list pairing style numbers with them:
//
//     #include "transitions/EffectFamilies.h"
//     #include "transitions/EffectHelpers.h"
//     namespace kv {
//     namespace {
//     void ExpandFromRight(Bitmap& Screen, const Bitmap& Image, const Rect& R,
//                          uint16_t Step, uint8_t Progress) { ... }
//     ...
//     constexpr StyleProc kProcs[] = {{1, &ExpandFromRight}, {2, &ExpandFromLeft}, ...};
//     }  // namespace
//     constinit const FamilyProcs kRectangleWipes = kProcs;
//     }  // namespace kv
//
// and one line in the list below, X(kRectangleWipes), placed above its closing comment.
// The library picks up the new source file by itself (CMake globs transitions/*.cpp);
// nothing else changes. Each style may be listed by one family only; the transition
// tests check every listed entry.
#include <span>

#include "transitions/TransitionEffects.h"

namespace kv {

struct StyleProc {
    int Style;
    TransitionProc Proc;
};

using FamilyProcs = std::span<const StyleProc>;

// The families, one line each, X(name of the family's FamilyProcs) \ .
#define KV_EFFECT_FAMILIES(X) \
    X(kBarsAndShreds) \
    X(kPushesAndBlinds) \
    X(kCurvedReveals) \
    X(kCrissCross) \
    X(kRectangleWipes) \
    X(kFadeAndPivots) \
    X(kSpeckles) \
    X(kTriangleReveals) \
    X(kSweepsAndTurns) \
    /* end of the family list */

#define KV_DECLARE_EFFECT_FAMILY(name) extern const FamilyProcs name;
KV_EFFECT_FAMILIES(KV_DECLARE_EFFECT_FAMILY)
#undef KV_DECLARE_EFFECT_FAMILY

}  // namespace kv
