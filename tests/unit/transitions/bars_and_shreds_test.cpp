// Bars and uneven shreds, checked on rendered frames: the old screen is one colour, the
// new picture numbers its pixels, so each frame tells which pixels show the new picture
// and that each shows the new pixel of its own position.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Random.h"
#include "transitions/EffectHelpers.h"
#include "transitions/TransitionEffects.h"

using kv::Bitmap;

namespace {

constexpr uint32_t kOld = 0xFF203040;  // never a value of Numbered (top byte 0x01)

uint32_t NumberOf(int x, int y) {
    return 0x01000000u | static_cast<uint32_t>(y) << 12 | static_cast<uint32_t>(x);
}

Bitmap Numbered(int w, int h) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, NumberOf(x, y));
    return b;
}

// Which pixels of a frame show the new picture, as rows of '#' (new) and '.' (old); fails
// the test at a pixel that is neither the old colour nor the new picture's pixel of the
// same position.
using Mask = std::vector<std::string>;

Mask Render(int style, int w, int h, int step, int progress) {
    const Bitmap image = Numbered(w, h);
    Bitmap screen(w, h);
    screen.Canvas().FillRect(kv::Rect{0, 0, w, h}, kOld);
    kv::RunStyle(style, screen, image, static_cast<uint16_t>(step), static_cast<uint8_t>(progress));
    Mask revealed(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '.'));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = screen.Pixel(x, y);
            if (p != kOld && p != NumberOf(x, y)) {
                ADD_FAILURE() << "style " << style << ": pixel " << x << "," << y << " is " << std::hex << p;
                return revealed;
            }
            if (p != kOld) revealed[y][x] = '#';
        }
    return revealed;
}

struct Span {
    int lo = 0, hi = 0;  // lo <= p < hi
    bool Has(int p) const { return lo <= p && p < hi; }
};

TEST(BarsAndShreds, BarsRevealTheirBars) {
    // Rows for 60..64, columns for 71..75: the even bars (starting at 0, 10, ...) and the
    // odd bars (5, 15, ...) show the new picture over the given span of their length.
    constexpr Span kNone{}, kRow{0, 800}, kCol{0, 600};
    struct Case {
        int style, w, h, step, progress;
        Span even, odd;
    } cases[] = {
        // 800 x 600, Step 4: PW = 8 Progress, PH = 6 Progress, S = 36.
        {60, 800, 600, 4, 20, {480, 800}, kNone},
        {60, 800, 600, 4, 48, kRow, kNone},  // 768 + 36 > 800 snaps to the full width
        {60, 800, 600, 4, 60, kRow, {640, 800}},
        {61, 800, 600, 4, 20, {0, 320}, kNone},
        {61, 800, 600, 4, 60, kRow, {0, 160}},
        {62, 800, 600, 4, 20, {0, 320}, kNone},
        {62, 800, 600, 4, 60, kRow, {640, 800}},
        {63, 800, 600, 4, 20, {480, 800}, kNone},
        {63, 800, 600, 4, 60, kRow, {0, 160}},
        {64, 800, 600, 4, 50, {400, 800}, {0, 400}},
        {64, 800, 600, 4, 99, {8, 800}, {0, 792}},  // no snap
        {71, 800, 600, 4, 20, {360, 600}, kNone},
        {71, 800, 600, 4, 48, kCol, kNone},  // 576 + 36 > 600
        {71, 800, 600, 4, 60, kCol, {480, 600}},
        {72, 800, 600, 4, 20, {0, 240}, kNone},
        {72, 800, 600, 4, 60, kCol, {0, 120}},
        {73, 800, 600, 4, 20, {0, 240}, kNone},
        {73, 800, 600, 4, 60, kCol, {480, 600}},
        {74, 800, 600, 4, 20, {360, 600}, kNone},
        {74, 800, 600, 4, 60, kCol, {0, 120}},
        {75, 800, 600, 4, 50, {300, 600}, {0, 300}},
        // A height that ends inside an odd bar; PW 482, X 964: odd rows up to 161.
        {63, 803, 597, 4, 60, {0, 803}, {0, 161}},
        // 40 x 30, Progress 48: PW 19, X 38. Step 1 gives S = 0 and no snap; Step 8
        // gives S = 4 and the even bars snap to the full width.
        {60, 40, 30, 1, 48, {2, 40}, kNone},
        {60, 40, 30, 8, 48, {0, 40}, kNone},
        // Portrait: the extents follow the height, PH 19, Y 38.
        {71, 30, 40, 1, 48, {2, 40}, kNone},
        {71, 30, 40, 8, 48, {0, 40}, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style) + " " + std::to_string(c.w) + "x" +
                     std::to_string(c.h) + " step " + std::to_string(c.step) + " progress " +
                     std::to_string(c.progress));
        const bool columns = c.style >= 71;
        const Mask revealed = Render(c.style, c.w, c.h, c.step, c.progress);
        int wrong = 0;
        for (int y = 0; y < c.h && wrong < 5; ++y)
            for (int x = 0; x < c.w && wrong < 5; ++x) {
                const int across = columns ? x : y, along = columns ? y : x;
                const Span& bar = (across / 5) % 2 == 0 ? c.even : c.odd;
                const bool shown = revealed[y][x] == '#';
                if (shown != bar.Has(along)) {
                    ADD_FAILURE() << "pixel " << x << "," << y << (shown ? " shows" : " hides")
                                  << " the new picture";
                    ++wrong;
                }
            }
    }
}

// Whether position p along a strip of a side n long is covered when the strip has grown
// `extent` in `mode` (1 from the far edge, 2 from the near edge, 3 out from the middle,
// 4 in to the middle) and its two ends are jittered by d1 and d2.
bool StripCovers(int mode, int n, int extent, int d1, int d2, int p) {
    switch (mode) {
        case 1: return p >= n - extent + d1;
        case 2: return p < extent + d1;
        case 3: return (p >= (n - extent + d1) / 2 && p < n / 2) || (p >= n / 2 && p < (n + extent + d2) / 2);
        default: return p >= n - (extent + d1) / 2 || p < (extent + d2) / 2;
    }
}

// Along a side n long: the positions that every strip covers whatever its jitter (must)
// and those that some jitter covers (may). The jitter is below n div 7 either way, and
// none once the extent reaches n.
struct StripBounds {
    std::vector<bool> must, may;
};
StripBounds Bounds(int mode, int n, int extent) {
    StripBounds b{std::vector<bool>(static_cast<size_t>(n)), std::vector<bool>(static_cast<size_t>(n))};
    if (mode == 0) return b;
    const int d = extent < n ? std::max(n / 7 - 1, 0) : 0;
    for (int p = 0; p < n; ++p) {
        bool all = true, any = false;
        for (int d1 : {-d, d})
            for (int d2 : {-d, d}) {
                const bool c = StripCovers(mode, n, extent, d1, d2, p);
                all = all && c;
                any = any || c;
            }
        b.must[p] = all;
        b.may[p] = any;
    }
    return b;
}

struct ShredStyle {
    int style, horz, vert;
};
constexpr ShredStyle kShreds[] = {
    {65, 1, 0},  {66, 2, 0},  {67, 3, 0},  {68, 4, 0},  {76, 0, 1},  {77, 0, 2},
    {78, 0, 3},  {79, 0, 4},  {100, 1, 1}, {101, 1, 2}, {102, 2, 1}, {103, 2, 2},
    {104, 1, 3}, {105, 2, 3}, {106, 3, 1}, {107, 3, 2}, {108, 3, 3}, {109, 4, 4},
};

TEST(BarsAndShreds, ShredStripsStayWithinTheirJitter) {
    // 700 x 603: columns 5 wide, rows overlapping by 3; 703 x 600 the other way round.
    kv::RandSeed(20240);
    for (const ShredStyle& s : kShreds) {
        for (auto [w, h] : {std::pair{700, 603}, std::pair{703, 600}}) {
            for (int progress : {25, 70}) {
                SCOPED_TRACE("style " + std::to_string(s.style) + " " + std::to_string(w) + "x" +
                             std::to_string(h) + " progress " + std::to_string(progress));
                const kv::ProgressExtents g = kv::ProgressGeometry(kv::Rect{0, 0, w, h}, 4,
                                                                   static_cast<uint8_t>(progress));
                const StripBounds rows = Bounds(s.horz, w, g.PW), cols = Bounds(s.vert, h, g.PH);
                const Mask revealed = Render(s.style, w, h, 4, progress);
                int wrong = 0;
                for (int y = 0; y < h && wrong < 5; ++y)
                    for (int x = 0; x < w && wrong < 5; ++x) {
                        const bool must = rows.must[x] || cols.must[y], may = rows.may[x] || cols.may[y];
                        if (revealed[y][x] == '#' ? !may : must) {
                            ADD_FAILURE() << "pixel " << x << "," << y << (must ? " must" : " must not")
                                          << " show the new picture";
                            ++wrong;
                        }
                    }

                // Single-direction styles: each strip is 5 lines whose ends agree, where
                // the side is a multiple of 5; and the ends vary from strip to strip.
                if (s.horz == 0 || s.vert == 0) {
                    const bool horizontal = s.horz != 0;
                    const int lines = horizontal ? h : w, length = horizontal ? w : h;
                    Mask line = revealed;
                    if (!horizontal) {
                        line.assign(static_cast<size_t>(lines), std::string(static_cast<size_t>(length), '.'));
                        for (int y = 0; y < h; ++y)
                            for (int x = 0; x < w; ++x) line[x][y] = revealed[y][x];
                    }
                    if (lines % 5 == 0) {
                        for (int i = 0; i < lines; ++i) {
                            ASSERT_EQ(line[i], line[i - i % 5]) << "line " << i;
                        }
                    }
                    EXPECT_GT(std::set<std::string>(line.begin(), line.end()).size(), 20u);
                }
            }
        }
    }
}

TEST(BarsAndShreds, ShredsAreJitteredAfreshEachFrame) {
    kv::RandSeed(77);
    for (const ShredStyle& s : kShreds) {
        const Mask first = Render(s.style, 210, 140, 4, 40);
        const Mask second = Render(s.style, 210, 140, 4, 40);
        EXPECT_NE(first, second) << "style " << s.style;
    }
}

TEST(BarsAndShreds, FullExtentShowsTheWholePicture) {
    // 50 x 40 at Progress 99: PW = MulDiv(50, 99, 100) = 50 and PH = 40, the full size.
    // The shreds have no jitter then and draw no random numbers; the bars are complete.
    const int styles[] = {60, 61, 62, 63, 64, 65, 66, 67, 68, 71, 72, 73, 74, 75, 76, 77, 78,
                          79, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109};
    kv::RandSeed(9);
    const uint64_t state = kv::RandState();
    for (int style : styles) {
        const Mask revealed = Render(style, 50, 40, 4, 99);
        for (const std::string& row : revealed) ASSERT_EQ(row, std::string(50, '#')) << "style " << style;
    }
    EXPECT_EQ(kv::RandState(), state);
}

}  // namespace
