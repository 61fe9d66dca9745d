// Pushes, blinds and rectangles (styles 128..141, 145..148), checked pixel by pixel: both
// pictures record in each pixel where it comes from, so every pixel of a frame tells
// which picture it shows and from which position.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "graphics/Bitmap.h"
#include "transitions/EffectHelpers.h"
#include "transitions/TransitionEffects.h"

namespace {

constexpr uint32_t kOld = 0x02, kNew = 0x01;

// Pixel (x, y) holds tag << 24 | y << 12 | x.
kv::Bitmap Tagged(int w, int h, uint32_t tag) {
    kv::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, tag << 24 | static_cast<uint32_t>(y) << 12 | static_cast<uint32_t>(x));
    return b;
}

struct Origin {
    uint32_t tag;
    int x, y;
};
Origin OriginOf(const kv::Bitmap& b, int x, int y) {
    const uint32_t v = b.Pixel(x, y);
    return {v >> 24, static_cast<int>(v & 0xFFF), static_cast<int>(v >> 12 & 0xFFF)};
}

kv::Bitmap Frame(int style, int w, int h, int step, int progress) {
    kv::Bitmap screen = Tagged(w, h, kOld);
    const kv::Bitmap image = Tagged(w, h, kNew);
    kv::RunStyle(style, screen, image, static_cast<uint16_t>(step), static_cast<uint8_t>(progress));
    return screen;
}

// ---------------------------------------------------------------------------------------
// Pushes: along the push, a < P (forward) or a >= L - P (backward) shows the new picture
// shifted by L - P; the rest shows the old picture, shifted by P (plain) or squeezed
// whole (all of it, in order, nothing repeated and nothing skipped beyond the scale).

TEST(PushesAndBlinds, PushesMoveTheOldPictureAndBringInTheNewStrip) {
    struct Style {
        int style;
        bool vertical, forward, squeeze;
    } styles[] = {
        {128, false, true, false}, {129, false, false, false}, {130, false, true, true},
        {131, false, false, true}, {132, true, true, false},   {133, true, false, false},
        {134, true, true, true},   {135, true, false, true},
    };
    struct Size {
        int w, h, progress;
    } sizes[] = {{800, 600, 25}, {61, 97, 70}, {3, 2, 99}};

    for (const Size& size : sizes) {
        const kv::ProgressExtents g = kv::ProgressGeometry({0, 0, size.w, size.h}, 4, static_cast<uint8_t>(size.progress));
        for (const Style& s : styles) {
            SCOPED_TRACE("style " + std::to_string(s.style) + " " + std::to_string(size.w) + "x" +
                         std::to_string(size.h) + " progress " + std::to_string(size.progress));
            const kv::Bitmap frame = Frame(s.style, size.w, size.h, 4, size.progress);
            const int L = s.vertical ? size.h : size.w, across = s.vertical ? size.w : size.h;
            const int P = s.vertical ? g.PH : g.PW;
            const int oldStart = s.forward ? P : 0;  // the old picture's part along the push
            const int maxGap = P < L ? (L + (L - P) - 1) / (L - P) : 0;
            for (int c = 0; c < across; ++c) {
                int previous = -1;
                for (int a = 0; a < L; ++a) {
                    const int x = s.vertical ? c : a, y = s.vertical ? a : c;
                    const Origin o = OriginOf(frame, x, y);
                    const int oa = s.vertical ? o.y : o.x, oc = s.vertical ? o.x : o.y;
                    ASSERT_EQ(oc, c) << "at " << x << "," << y;
                    const bool isNew = s.forward ? a < P : a >= L - P;
                    if (isNew) {
                        ASSERT_EQ(o.tag, kNew) << "at " << x << "," << y;
                        ASSERT_EQ(oa, s.forward ? a + L - P : a - (L - P)) << "at " << x << "," << y;
                    } else if (!s.squeeze) {
                        ASSERT_EQ(o.tag, kOld) << "at " << x << "," << y;
                        ASSERT_EQ(oa, s.forward ? a - P : a + P) << "at " << x << "," << y;
                    } else {
                        ASSERT_EQ(o.tag, kOld) << "at " << x << "," << y;
                        // Nearest-pixel sampling: the ends lie within one scale step of the edges.
                        if (a == oldStart) ASSERT_LT(oa, maxGap) << "the squeeze starts at the old near edge";
                        if (a == oldStart + (L - P) - 1) ASSERT_GE(oa, L - maxGap) << "and ends at its far edge";
                        if (previous >= 0) {
                            ASSERT_GE(oa - previous, 1) << "at " << x << "," << y;
                            ASSERT_LE(oa - previous, maxGap) << "at " << x << "," << y;
                        }
                        previous = oa;
                    }
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------------------
// Blinds and rectangles: a pixel shows the new picture, from its own position, exactly
// where a slat or band lies; elsewhere the old pixel stays.

// A periodic set of columns or rows: position a (counted from the far edge when fromFar)
// is inside when lo <= a mod pitch < hi. Pitch 0: none.
struct Lattice {
    bool fromFar = false;
    int pitch = 0, lo = 0, hi = 0;
    bool Holds(int a, int length) const {
        if (pitch == 0) return false;
        const int m = (fromFar ? length - 1 - a : a) % pitch;
        return lo <= m && m < hi;
    }
};
constexpr Lattice kNone{};

TEST(PushesAndBlinds, SlatsAndBandsShowTheNewPictureInPlace) {
    struct Case {
        const char* what;
        int style, w, h, step, progress;
        Lattice columns, rows;
    } cases[] = {
        // Main behaviour (S = 36 on 800 x 600 with step 4).
        {"blind vertically, pitch 800 div 36 = 22, 11 open", 136, 800, 600, 4, 50, {false, 22, 0, 11}, kNone},
        {"blind horizontally, pitch 600 div 36", 137, 800, 600, 4, 50, kNone, {false, 16, 0, 8}},
        {"blind horizontally, portrait: pitch 800 div 36", 137, 600, 800, 4, 50, kNone, {false, 22, 0, 11}},
        {"uneven from left, pitch PW 80", 138, 800, 600, 4, 10, {false, 80, 0, 8}, kNone},
        {"uneven from left, pitch PW 400", 138, 800, 600, 4, 50, {false, 400, 0, 200}, kNone},
        {"uneven from right", 139, 800, 600, 4, 10, {true, 80, 0, 8}, kNone},
        {"uneven from right, W not a multiple of PW", 139, 810, 600, 4, 10, {true, 81, 0, 8}, kNone},
        {"uneven from top, pitch PH 60", 140, 800, 600, 4, 10, kNone, {false, 60, 0, 6}},
        {"uneven from bottom", 141, 800, 600, 4, 10, kNone, {true, 60, 0, 6}},
        {"rectangles from left: row bands 16 apart, 8 thick", 145, 800, 600, 4, 50, {false, 400, 0, 200}, {false, 16, 4, 12}},
        {"rectangles from right", 146, 800, 600, 4, 50, {true, 400, 0, 200}, {false, 16, 4, 12}},
        {"rectangles from up: column bands 22 apart", 147, 800, 600, 4, 50, {false, 22, 6, 16}, {false, 300, 0, 150}},
        {"rectangles from bottom", 148, 800, 600, 4, 50, {false, 22, 6, 16}, {true, 300, 0, 150}},
        // S = 0 counts as S = 1: one slat, or one band, over the whole side.
        {"S 0: blind vertically is a wipe from the left", 136, 40, 30, 1, 50, {false, 40, 0, 20}, kNone},
        {"S 0: blind horizontally is a wipe from the top", 137, 40, 30, 1, 50, kNone, {false, 30, 0, 15}},
        {"S 0: one row band from the middle", 145, 40, 30, 1, 50, {false, 20, 0, 10}, {false, 30, 8, 22}},
        {"S 0: one column band from the middle", 148, 40, 30, 1, 50, {false, 40, 10, 30}, {true, 15, 0, 7}},
        // Pitch 0 (S beyond the side): no slats or bands, as with pitch 1.
        {"S 604 > H: no slats", 137, 800, 600, 68, 50, kNone, kNone},
        {"S 889 > W: no slats", 136, 800, 600, 100, 50, kNone, kNone},
        {"pitch 1: slats of width 0", 136, 800, 600, 68, 99, kNone, kNone},
        {"Q 0: the blind alone", 146, 800, 600, 68, 50, {true, 400, 0, 200}, kNone},
        {"Q 0: the blind alone (column bands)", 147, 40, 30, 100, 50, kNone, {false, 15, 0, 7}},
        // PW or PH 0 in the first frames of a small picture.
        {"PW 0", 138, 40, 30, 4, 1, kNone, kNone},
        {"PW 0 from the right", 139, 40, 30, 4, 1, kNone, kNone},
        {"PH 0 from the bottom", 141, 30, 40, 4, 1, kNone, kNone},
        {"PW 0 under bands", 145, 40, 30, 1, 1, kNone, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " (style " + std::to_string(c.style) + ")");
        const kv::Bitmap frame = Frame(c.style, c.w, c.h, c.step, c.progress);
        int newPixels = 0;
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                const bool open = c.columns.Holds(x, c.w) || c.rows.Holds(y, c.h);
                const Origin o = OriginOf(frame, x, y);
                ASSERT_EQ(o.tag, open ? kNew : kOld) << "at " << x << "," << y;
                ASSERT_EQ(o.x, x) << "at " << x << "," << y;
                ASSERT_EQ(o.y, y) << "at " << x << "," << y;
                newPixels += open;
            }
        }
        if (c.columns.pitch || c.rows.pitch) EXPECT_GT(newPixels, 0) << "the case shows nothing new";
    }
}

}  // namespace
