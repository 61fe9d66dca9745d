// Pushes, blinds and rectangles: styles 128..141 and 145..148.
//
// Pushes (128..135) slide a strip of the new picture in from one edge. The old picture
// is moved first, within Screen: shifted, so that its far part leaves the picture, or
// squeezed into the space that is left. The move reads the area that the new strip then
// covers, and a copy within one bitmap reads the unmoved source, so every frame starts
// again from the old picture as the player left it.
//
// Blinds (136..141) clip the new picture to a row of slats with pitch P, each open over
// its first w = (P * Progress) div 100 pixels. Rectangles (145..148) join a set of bands
// with pitch Q and half thickness d = (Q * Progress) div 200, centred at Q div 2 + k * Q,
// to one of the uneven blinds.
//
// Degenerate pitches. Styles 136, 137 and the bands of 145..148 take their pitch as a
// side divided by S:
//   - S = 0 (a picture whose longer side times Step is below 45) counts as S = 1: the
//     pitch is the whole side, so 136 and 137 open one slat from the left or top edge
//     (a plain wipe) and the bands are one band widening from the middle.
//   - A pitch of 0 (S larger than the side, from a large Step) draws no slats or bands.
//     That is what a pitch of 1 draws as well: w = (1 * Progress) div 100 and
//     d = (1 * Progress) div 200 are 0 for every progress below 100. So 136 and 137 then
//     leave the old picture until the player shows the whole new one, and 145..148 show
//     their blind alone.
// The uneven blinds (138..141) take PW or PH as the pitch, which is 0 in the first
// frames on a picture whose larger side is under 50 pixels; with no pitch the slats
// have no width either, and the frame keeps the old picture. No slat or band loop runs
// with a pitch below 1, so every loop ends.
#include <cstdint>

#include "transitions/EffectFamilies.h"
#include "transitions/EffectHelpers.h"

namespace kv {

namespace {

// ---------------------------------------------------------------------------------------
// Pushes

// One push: Vertical pushes move rows (columns otherwise); Forward pushes enter at the
// left or top edge and move toward the right or bottom; Squeeze keeps the whole old
// picture, scaled into the part the new strip has not taken.
template <bool Vertical, bool Forward, bool Squeeze>
void PushStyle(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
               uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int32_t L = Vertical ? g.H : g.W;    // length along the push
    const int32_t P = Vertical ? g.PH : g.PW;  // how far the new picture has come in
    // The whole picture across the push, a..b along it.
    auto across = [&](int32_t a, int32_t b) {
        return Vertical ? Rect{0, a, g.W, b} : Rect{a, 0, b, g.H};
    };

    Rect oldFrom, oldTo, newFrom, newTo;
    if (Forward) {
        oldFrom = Squeeze ? across(0, L) : across(0, L - P);
        oldTo = across(P, L);
        newFrom = across(L - P, L);
        newTo = across(0, P);
    } else {
        oldFrom = Squeeze ? across(0, L) : across(P, L);
        oldTo = across(0, L - P);
        newFrom = across(0, P);
        newTo = across(L - P, L);
    }

    Canvas& canvas = Screen.Canvas();
    CanvasLock lock(canvas);
    // With nothing come in yet the move would copy the old picture onto itself.
    if (P > 0) canvas.CopyRect(oldTo, Screen, oldFrom);
    StretchedCopy(Screen, newTo, Image, newFrom);
}

// ---------------------------------------------------------------------------------------
// Blinds and bands

// Side div S, with S = 0 counted as S = 1 (see the top of this file).
int32_t PitchOf(int32_t side, int32_t S) { return S > 0 ? side / S : side; }

// Adds pieces lo..hi along one axis (columns when Columns, rows otherwise), spanning the
// whole picture across it.
template <bool Columns>
void AddAcross(RegionBuilder& region, const ProgressExtents& g, int64_t lo, int64_t hi) {
    const auto l = static_cast<int32_t>(lo), h = static_cast<int32_t>(hi);
    if (Columns)
        region.Add(l, 0, h, g.H);
    else
        region.Add(0, l, g.W, h);
}

// Slats of pitch P, each w = (P * Progress) div 100 wide. From the near edge slat k is
// k*P .. k*P + w, laid while it starts before the far edge; from the far edge (FromFar)
// it is L - k*P - w .. L - k*P, laid while its far end is at 0 or more. A pitch below 1
// lays nothing.
template <bool Columns, bool FromFar>
void AddSlats(RegionBuilder& region, const ProgressExtents& g, int32_t P, uint8_t Progress) {
    const int64_t L = Columns ? g.W : g.H;
    const int64_t w = int64_t{P} * Progress / 100;
    if (P < 1 || w < 1) return;
    if (FromFar) {
        for (int64_t end = L; end >= 0; end -= P) AddAcross<Columns>(region, g, end - w, end);
    } else {
        for (int64_t start = 0; start < L; start += P) AddAcross<Columns>(region, g, start, start + w);
    }
}

// Bands of pitch Q: band k is Q div 2 + k*Q - d .. Q div 2 + k*Q + d with
// d = (Q * Progress) div 200, laid while it starts before the far edge. A pitch below 1
// lays nothing.
template <bool Columns>
void AddBands(RegionBuilder& region, const ProgressExtents& g, int32_t Q, uint8_t Progress) {
    const int64_t L = Columns ? g.W : g.H;
    const int64_t d = int64_t{Q} * Progress / 200;
    if (Q < 1 || d < 1) return;
    for (int64_t centre = Q / 2; centre - d < L; centre += Q)
        AddAcross<Columns>(region, g, centre - d, centre + d);
}

void DrawThrough(Bitmap& Screen, const Bitmap& Image, RegionBuilder& region) {
    if (region.IsEmpty()) return;  // nothing opens: the frame keeps the old picture
    ClipAndDraw(Screen, region.Build(), Image);
}

// 136 and 137: pitch W div S (columns) or H div S (rows), fixed for the whole transition.
template <bool Columns>
void EvenBlind(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
               uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    RegionBuilder region;
    AddSlats<Columns, false>(region, g, PitchOf(Columns ? g.W : g.H, g.S), Progress);
    DrawThrough(Screen, Image, region);
}

// 138..141: pitch PW (columns) or PH (rows), growing with the progress.
template <bool Columns, bool FromFar>
void UnevenBlind(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                 uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    RegionBuilder region;
    AddSlats<Columns, FromFar>(region, g, Columns ? g.PW : g.PH, Progress);
    DrawThrough(Screen, Image, region);
}

// 145..148: bands across the slats' direction (row bands with Q = H div S under column
// slats, column bands with Q = W div S under row slats), joined to an uneven blind.
template <bool SlatColumns, bool FromFar>
void Rectangles(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    constexpr bool BandColumns = !SlatColumns;
    RegionBuilder region;
    AddBands<BandColumns>(region, g, PitchOf(BandColumns ? g.W : g.H, g.S), Progress);
    AddSlats<SlatColumns, FromFar>(region, g, SlatColumns ? g.PW : g.PH, Progress);
    DrawThrough(Screen, Image, region);
}

constexpr StyleProc kProcs[] = {
    {128, &PushStyle<false, true, false>},   // Push right
    {129, &PushStyle<false, false, false>},  // Push left
    {130, &PushStyle<false, true, true>},    // Push and squeeze right
    {131, &PushStyle<false, false, true>},   // Push and squeeze left
    {132, &PushStyle<true, true, false>},    // Push down
    {133, &PushStyle<true, false, false>},   // Push up
    {134, &PushStyle<true, true, true>},     // Push and sqeeze down
    {135, &PushStyle<true, false, true>},    // Push and sqeeze up
    {136, &EvenBlind<true>},                 // Blind vertically
    {137, &EvenBlind<false>},                // Blind horizontally
    {138, &UnevenBlind<true, false>},        // Uneven blind from left
    {139, &UnevenBlind<true, true>},         // Uneven blind from right
    {140, &UnevenBlind<false, false>},       // Uneven blind from top
    {141, &UnevenBlind<false, true>},        // Uneven blind from bottom
    {145, &Rectangles<true, false>},         // Rectangles apear from left ...
    {146, &Rectangles<true, true>},          // Rectangles apear from right ...
    {147, &Rectangles<false, false>},        // Rectangles apear from up ...
    {148, &Rectangles<false, true>},         // Rectangles apear from bottom ...
};

}  // namespace

constinit const FamilyProcs kPushesAndBlinds = kProcs;

}  // namespace kv
