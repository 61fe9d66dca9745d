// Rectangle wipes (styles 1..57): each frame is a few stretched copies of the new
// picture. Each case lists those copies with hand-worked numbers; the test composes the
// expected frame from them on the old screen and compares it with the style's frame
// pixel by pixel. The new picture records every pixel's position, so a pixel taken from
// the wrong place, drawn where the old screen should stay, or left old where the new
// picture belongs all show up, and a failure names the first such pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "transitions/EffectHelpers.h"
#include "transitions/TransitionEffects.h"

using kv::Bitmap;
using kv::Rect;

namespace {

constexpr uint32_t kOld = 0xEE123456;

// Pixel (x, y) holds 0x01YYYXXX.
Bitmap Numbered(int w, int h) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(b.ScanLine(y));
        for (int x = 0; x < w; ++x) row[x] = 0x01000000u | uint32_t(y) << 12 | uint32_t(x);
    }
    return b;
}

Bitmap Filled(int w, int h, uint32_t v) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y) std::fill_n(reinterpret_cast<uint32_t*>(b.ScanLine(y)), w, v);
    return b;
}

std::string Describe(uint32_t v) {
    if (v == kOld) return "old";
    std::ostringstream out;
    out << "new (" << (v & 0xFFF) << ", " << (v >> 12 & 0xFFF) << ")";
    return out.str();
}

enum Mirror { kPlain, kLeftRight, kTopBottom };

// Source rectangle S of the new picture into destination D, plain or through MirrorCopy.
struct Copy {
    Rect D, S;
    Mirror mirror = kPlain;
};
Copy Same(Rect r) { return {r, r}; }

struct Case {
    int style, w, h, step, progress;
    std::vector<Copy> copies;
};

void ExpectFrame(const Case& c) {
    SCOPED_TRACE("style " + std::to_string(c.style) + " " + std::to_string(c.w) + "x" + std::to_string(c.h) +
                 " step " + std::to_string(c.step) + " progress " + std::to_string(c.progress));
    const Bitmap image = Numbered(c.w, c.h);
    Bitmap expected = Filled(c.w, c.h, kOld);
    for (const Copy& copy : c.copies) {
        if (copy.mirror == kPlain)
            expected.Canvas().CopyRect(copy.D, image, copy.S);
        else
            kv::MirrorCopy(expected.Canvas(), copy.D, image, copy.S, copy.mirror == kLeftRight,
                           copy.mirror == kTopBottom);
    }
    Bitmap screen = Filled(c.w, c.h, kOld);
    kv::RunStyle(c.style, screen, image, static_cast<uint16_t>(c.step), static_cast<uint8_t>(c.progress));

    int wrong = 0;
    std::string first;
    for (int y = 0; y < c.h; ++y) {
        if (std::memcmp(screen.ScanLine(y), expected.ScanLine(y), size_t{4} * c.w) == 0) continue;
        for (int x = 0; x < c.w; ++x)
            if (screen.Pixel(x, y) != expected.Pixel(x, y) && wrong++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") shows " +
                        Describe(screen.Pixel(x, y)) + ", expected " + Describe(expected.Pixel(x, y));
    }
    EXPECT_EQ(wrong, 0) << "first wrong pixel " << first;
}

}  // namespace

// 800 x 600 at Progress 25: PW 200, PH 150. One case for each copy-list style.
TEST(RectangleWipes, EveryCopyListStyleDrawsItsCopies) {
    const Rect all{0, 0, 800, 600};
    const Case cases[] = {
        {1, 800, 600, 4, 25, {{{600, 0, 800, 600}, all}}},
        {2, 800, 600, 4, 25, {{{0, 0, 200, 600}, all}}},
        {3, 800, 600, 4, 25, {{{600, 0, 1400, 600}, all}}},
        {4, 800, 600, 4, 25, {{{-600, 0, 200, 600}, all}}},
        {5, 800, 600, 4, 25, {Same({0, 0, 200, 600})}},
        {6, 800, 600, 4, 25, {Same({600, 0, 800, 600})}},
        {7, 800, 600, 4, 25, {{{0, 0, 1400, 600}, {0, 0, 200, 600}}}},
        {8, 800, 600, 4, 25, {{{-600, 0, 800, 600}, {600, 0, 800, 600}}}},
        {9, 800, 600, 4, 25, {{{-600, 0, 1400, 600}, {300, 0, 500, 600}}}},
        {10, 800, 600, 4, 25, {{{300, 0, 500, 600}, all}}},
        {11, 800, 600, 4, 25, {Same({300, 0, 500, 600})}},
        {12, 800, 600, 4, 25, {Same({0, 0, 101, 600}), Same({699, 0, 800, 600})}},
        {13, 800, 600, 4, 25, {{{0, 0, 101, 600}, {0, 0, 401, 600}}, {{699, 0, 800, 600}, {400, 0, 800, 600}}}},
        {18, 800, 600, 4, 25, {{{0, 450, 800, 600}, all}}},
        {19, 800, 600, 4, 25, {{{0, 0, 800, 150}, all}}},
        {20, 800, 600, 4, 25, {{{0, 450, 800, 1050}, all}}},
        {21, 800, 600, 4, 25, {{{0, -450, 800, 150}, all}}},
        {22, 800, 600, 4, 25, {Same({0, 0, 800, 150})}},
        {23, 800, 600, 4, 25, {Same({0, 450, 800, 600})}},
        {24, 800, 600, 4, 25, {{{0, 0, 800, 1050}, {0, 0, 800, 150}}}},
        {25, 800, 600, 4, 25, {{{0, -450, 800, 600}, {0, 450, 800, 600}}}},
        {26, 800, 600, 4, 25, {{{0, -450, 800, 1050}, {0, 225, 800, 375}}}},
        {27, 800, 600, 4, 25, {{{0, 225, 800, 375}, all}}},
        {28, 800, 600, 4, 25, {Same({0, 225, 800, 375})}},
        {29, 800, 600, 4, 25, {Same({0, 0, 800, 76}), Same({0, 524, 800, 600})}},
        {30, 800, 600, 4, 25, {{{0, 0, 800, 76}, {0, 0, 800, 301}}, {{0, 524, 800, 600}, {0, 300, 800, 600}}}},
        {35, 800, 600, 4, 25, {{{600, 450, 800, 600}, all}}},
        {36, 800, 600, 4, 25, {{{600, 0, 800, 150}, all}}},
        {37, 800, 600, 4, 25, {{{0, 0, 200, 150}, all}}},
        {38, 800, 600, 4, 25, {{{0, 450, 200, 600}, all}}},
        {39, 800, 600, 4, 25, {{{600, 450, 1400, 1050}, all}}},
        {40, 800, 600, 4, 25, {{{600, -450, 1400, 150}, all}}},
        {41, 800, 600, 4, 25, {{{-600, -450, 200, 150}, all}}},
        {42, 800, 600, 4, 25, {{{-600, 450, 200, 1050}, all}}},
        {43, 800, 600, 4, 25, {Same({0, 0, 200, 150})}},
        {44, 800, 600, 4, 25, {Same({0, 450, 200, 600})}},
        {45, 800, 600, 4, 25, {Same({600, 450, 800, 600})}},
        {46, 800, 600, 4, 25, {Same({600, 0, 800, 150})}},
        {47, 800, 600, 4, 25, {{{0, 0, 1400, 1050}, {0, 0, 200, 150}}}},
        {48, 800, 600, 4, 25, {{{0, -450, 1400, 600}, {0, 450, 200, 600}}}},
        {49, 800, 600, 4, 25, {{{-600, -450, 800, 600}, {600, 450, 800, 600}}}},
        {50, 800, 600, 4, 25, {{{-600, 0, 800, 1050}, {600, 0, 800, 150}}}},
        {51, 800, 600, 4, 25, {{{-600, -450, 1400, 1050}, {300, 225, 500, 375}}}},
        {52, 800, 600, 4, 25, {{{300, 225, 500, 375}, all}}},
        {53, 800, 600, 4, 25, {Same({300, 225, 500, 375})}},
        {54, 800, 600, 4, 25,
         {Same({0, 0, 800, 75}), Same({0, 525, 800, 600}), Same({0, 0, 100, 600}), Same({700, 0, 800, 600})}},
        {55, 800, 600, 4, 25,
         {Same({0, 0, 101, 76}), Same({0, 524, 101, 600}), Same({699, 524, 800, 600}), Same({699, 0, 800, 76})}},
        {56, 800, 600, 4, 25,
         {{{0, 0, 101, 76}, {0, 0, 401, 301}},
          {{0, 525, 101, 600}, {0, 301, 401, 600}},
          {{700, 525, 800, 600}, {401, 301, 800, 600}},
          {{700, 0, 800, 76}, {401, 0, 800, 301}}}},
        {57, 800, 600, 4, 25,
         {{{-300, 0, 101, 301}, {0, 0, 401, 301}},
          {{399, -225, 800, 76}, {399, 0, 800, 301}},
          {{700, 299, 1100, 600}, {401, 299, 800, 600}},
          {{0, 525, 401, 825}, {0, 301, 401, 600}}}},
        // At Progress 50 (PW 400, PH 300) the quarters are halfway in.
        {57, 800, 600, 4, 50,
         {{{-200, 0, 201, 301}, {0, 0, 401, 301}},
          {{399, -150, 800, 151}, {399, 0, 800, 301}},
          {{600, 299, 1000, 600}, {401, 299, 800, 600}},
          {{0, 450, 401, 750}, {0, 301, 401, 600}}}},
        // At Progress 99 (PW 792) the old screen still shows in the columns 397..402.
        {12, 800, 600, 4, 99, {Same({0, 0, 397, 600}), Same({403, 0, 800, 600})}},
    };
    for (const Case& c : cases) ExpectFrame(c);
}

// 101 x 75 at Progress 38: PW 38, PH 28. The halves and quarters divide odd numbers,
// and div truncates toward zero, also for the negative offsets of the quarter slide.
TEST(RectangleWipes, HalvesAndQuartersOfOddSizesTruncateTowardZero) {
    const Rect all{0, 0, 101, 75};
    const Case cases[] = {
        {9, 101, 75, 4, 38, {{{-63, 0, 164, 75}, {31, 0, 69, 75}}}},
        {11, 101, 75, 4, 38, {Same({31, 0, 69, 75})}},
        {12, 101, 75, 4, 38, {Same({0, 0, 20, 75}), Same({81, 0, 101, 75})}},
        {13, 101, 75, 4, 38, {{{0, 0, 20, 75}, {0, 0, 51, 75}}, {{81, 0, 101, 75}, {50, 0, 101, 75}}}},
        {26, 101, 75, 4, 38, {{{0, -47, 101, 122}, {0, 23, 101, 51}}}},
        {28, 101, 75, 4, 38, {Same({0, 23, 101, 51})}},
        {29, 101, 75, 4, 38, {Same({0, 0, 101, 15}), Same({0, 60, 101, 75})}},
        {30, 101, 75, 4, 38, {{{0, 0, 101, 15}, {0, 0, 101, 38}}, {{0, 60, 101, 75}, {0, 37, 101, 75}}}},
        {51, 101, 75, 4, 38, {{{-63, -47, 164, 122}, {31, 23, 69, 51}}}},
        {52, 101, 75, 4, 38, {{{31, 23, 69, 51}, all}}},
        {53, 101, 75, 4, 38, {Same({31, 23, 69, 51})}},
        {54, 101, 75, 4, 38,
         {Same({0, 0, 101, 14}), Same({0, 61, 101, 75}), Same({0, 0, 19, 75}), Same({82, 0, 101, 75})}},
        {55, 101, 75, 4, 38,
         {Same({0, 0, 20, 15}), Same({0, 60, 20, 75}), Same({81, 60, 101, 75}), Same({81, 0, 101, 15})}},
        {56, 101, 75, 4, 38,
         {{{0, 0, 20, 15}, {0, 0, 51, 38}},
          {{0, 61, 20, 75}, {0, 38, 51, 75}},
          {{82, 61, 101, 75}, {51, 38, 101, 75}},
          {{82, 0, 101, 15}, {51, 0, 101, 38}}}},
        // At Progress 75 (PW 76, PH 56) the quarters come in at their true sizes, 51, 38,
        // 50 and 37 pixels across: (PW - W) div 2 = -12 and (PH - H) div 2 = -9, where
        // rounding down would stretch the first two by a pixel that shows in view.
        {57, 101, 75, 4, 75,
         {{{-12, 0, 39, 38}, {0, 0, 51, 38}},
          {{49, -9, 101, 29}, {49, 0, 101, 38}},
          {{63, 36, 113, 75}, {51, 36, 101, 75}},
          {{0, 47, 51, 84}, {0, 38, 51, 75}}}},
    };
    for (const Case& c : cases) ExpectFrame(c);
}

// On a taller than wide picture the extents come from the height (600 x 800 at Progress
// 50: PH 400, PW 300), and so does S (36), also for the build-up's slice of W div S = 16.
TEST(RectangleWipes, TallPicturesTakeTheExtentsFromTheHeight) {
    const Rect all{0, 0, 600, 800};
    const Case cases[] = {
        {19, 600, 800, 4, 50, {{{0, 0, 600, 400}, all}}},
        {52, 600, 800, 4, 50, {{{150, 200, 450, 600}, all}}},
        {16, 600, 800, 4, 50, {Same({0, 0, 300, 800}), {{300, 0, 600, 800}, {300, 0, 316, 800}}}},
    };
    for (const Case& c : cases) ExpectFrame(c);
}

// The roll is half the extent at first, a tenth of the side in the middle and half of
// what is left near the end; it shows the strip just beyond it, flipped.
TEST(RectangleWipes, UnrollCarriesAMirroredRollAtTheFront) {
    const Case cases[] = {
        {14, 800, 600, 4, 10, {{{80, 0, 120, 600}, {120, 0, 160, 600}, kLeftRight}, Same({0, 0, 80, 600})}},
        {14, 800, 600, 4, 50, {{{400, 0, 480, 600}, {480, 0, 560, 600}, kLeftRight}, Same({0, 0, 400, 600})}},
        {14, 800, 600, 4, 90, {{{720, 0, 760, 600}, {760, 0, 800, 600}, kLeftRight}, Same({0, 0, 720, 600})}},
        {15, 800, 600, 4, 10, {{{680, 0, 720, 600}, {640, 0, 680, 600}, kLeftRight}, Same({720, 0, 800, 600})}},
        {15, 800, 600, 4, 90, {{{40, 0, 80, 600}, {0, 0, 40, 600}, kLeftRight}, Same({80, 0, 800, 600})}},
        {31, 800, 600, 4, 10, {{{0, 60, 800, 90}, {0, 90, 800, 120}, kTopBottom}, Same({0, 0, 800, 60})}},
        {31, 800, 600, 4, 50, {{{0, 300, 800, 360}, {0, 360, 800, 420}, kTopBottom}, Same({0, 0, 800, 300})}},
        {32, 800, 600, 4, 50, {{{0, 240, 800, 300}, {0, 180, 800, 240}, kTopBottom}, Same({0, 300, 800, 600})}},
        {32, 800, 600, 4, 90, {{{0, 30, 800, 60}, {0, 0, 800, 30}, kTopBottom}, Same({0, 60, 800, 600})}},
        // 4 x 3 at Progress 50: PW 2 is not below W div 5 = 0, so the roll is W div 10 = 0
        // wide and draws nothing.
        {14, 4, 3, 4, 50, {Same({0, 0, 2, 3})}},
    };
    for (const Case& c : cases) ExpectFrame(c);

    // Read directly: at Progress 50 the roll's columns 400..481 show the picture's
    // columns 559 down to 480 (80 columns spread over 82), and column 482 is old.
    const Bitmap image = Numbered(800, 600);
    Bitmap screen = Filled(800, 600, kOld);
    kv::RunStyle(14, screen, image, 4, 50);
    EXPECT_EQ(Describe(screen.Pixel(399, 7)), "new (399, 7)");
    EXPECT_EQ(Describe(screen.Pixel(400, 7)), "new (559, 7)");
    EXPECT_EQ(Describe(screen.Pixel(481, 7)), "new (480, 7)");
    EXPECT_EQ(Describe(screen.Pixel(482, 7)), "old");
}

// The slice of W div S columns (H div S rows) ahead of the front is stretched over the
// rest of the picture, cut at the far edge.
TEST(RectangleWipes, BuildUpStretchesTheSliceAheadOfTheFront) {
    const Case cases[] = {
        // 800 x 600, S 36: slices of 22 columns and of 16 rows.
        {16, 800, 600, 4, 50, {Same({0, 0, 400, 600}), {{400, 0, 800, 600}, {400, 0, 422, 600}}}},
        {17, 800, 600, 4, 50, {Same({400, 0, 800, 600}), {{0, 0, 400, 600}, {378, 0, 400, 600}}}},
        {33, 800, 600, 4, 50, {Same({0, 0, 800, 300}), {{0, 300, 800, 600}, {0, 300, 800, 316}}}},
        {34, 800, 600, 4, 50, {Same({0, 300, 800, 600}), {{0, 0, 800, 300}, {0, 284, 800, 300}}}},
        // Near the far edge the slice is cut there.
        {16, 800, 600, 4, 99, {Same({0, 0, 800, 600})}},
        {17, 800, 600, 4, 99, {Same({0, 0, 800, 600})}},
        // Step 100: S 889 exceeds H, the slice of H div S rows is empty and only the
        // revealed part is drawn.
        {33, 800, 600, 100, 50, {Same({0, 0, 800, 300})}},
        // 40 x 30 with Step 1: S 0. The slice reaches the far edge, so the unrevealed part
        // shows the new picture at its own place.
        {16, 40, 30, 1, 50, {Same({0, 0, 40, 30})}},
        {17, 40, 30, 1, 50, {Same({0, 0, 40, 30})}},
        {33, 40, 30, 1, 50, {Same({0, 0, 40, 30})}},
        {34, 40, 30, 1, 50, {Same({0, 0, 40, 30})}},
    };
    for (const Case& c : cases) ExpectFrame(c);
}
