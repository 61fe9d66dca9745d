#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "graphics/Region.h"
#include "tests/unit/transitions/revealed_pixels.h"

using kv::Region;
using kv_test::Reveal;
using kv_test::Revealed;
using kv_test::ShowsExactly;

namespace {

struct Extent {
    int lo = 0, hi = 0;  // lo <= x (or y) < hi; {} for none
};

// What a lattice shows: the part of every even row (rows 0-4, 10-14, ...), every odd row
// (5-9, 15-19, ...), every even column and every odd column that holds the new picture.
struct Lattice {
    Extent evenRows, oddRows, evenCols, oddCols;

    Region Make(int w, int h) const {
        kv::RegionBuilder b;
        for (int y = 0; y < h; y += 10) {
            b.Add(evenRows.lo, y, evenRows.hi, y + 5);
            b.Add(oddRows.lo, y + 5, oddRows.hi, y + 10);
        }
        for (int x = 0; x < w; x += 10) {
            b.Add(x, evenCols.lo, x + 5, evenCols.hi);
            b.Add(x + 5, oddCols.lo, x + 10, oddCols.hi);
        }
        return b.Build();
    }
};

uint64_t Area(const Region& r) {
    uint64_t area = 0;
    for (const Region::Band& band : r.Bands())
        for (const kv::Span& s : band.Spans) area += uint64_t(s.Right - s.Left) * uint64_t(band.Bottom - band.Top);
    return area;
}

constexpr Extent kNone{};
constexpr Extent kFullRow{0, 800};
constexpr Extent kFullCol{0, 600};

}  // namespace

// What each style shows on 800 x 600 (S = 36 at step 4). At 30 percent PW = 240 and
// PH = 180, so the two-phase styles grow their even bars 480 and 360 pixels; at 70 percent
// (X = 1120, Y = 840) their even bars are full and the odd bars have grown 320 and 240
// pixels from their edge. The one-phase styles grow 240 and 180 pixels at 30 percent, and
// at 97 percent (PW 776, PH 582) all but 98 snap to the full size.
TEST(CrissCross, EachStyleGrowsItsBarsFromItsEdges) {
    struct Case {
        int style, progress;
        Lattice shown;
        int w = 800, h = 600, step = 4;
    } cases[] = {
        {86, 30, {{320, 800}, kNone, {240, 600}, kNone}},
        {87, 30, {{320, 800}, kNone, {0, 360}, kNone}},
        {88, 30, {{0, 480}, kNone, {240, 600}, kNone}},
        {89, 30, {{0, 480}, kNone, {0, 360}, kNone}},
        {90, 30, {{0, 480}, kNone, {0, 360}, kNone}},
        {91, 30, {{0, 480}, kNone, {240, 600}, kNone}},
        {92, 30, {{320, 800}, kNone, {0, 360}, kNone}},
        {93, 30, {{320, 800}, kNone, {240, 600}, kNone}},
        // Same edge for the odd bars (86-89), the opposite one for the bounce styles.
        {86, 70, {kFullRow, {480, 800}, kFullCol, {360, 600}}},
        {87, 70, {kFullRow, {480, 800}, kFullCol, {0, 240}}},
        {88, 70, {kFullRow, {0, 320}, kFullCol, {360, 600}}},
        {89, 70, {kFullRow, {0, 320}, kFullCol, {0, 240}}},
        {90, 70, {kFullRow, {480, 800}, kFullCol, {360, 600}}},
        {91, 70, {kFullRow, {480, 800}, kFullCol, {0, 240}}},
        {92, 70, {kFullRow, {0, 320}, kFullCol, {360, 600}}},
        {93, 70, {kFullRow, {0, 320}, kFullCol, {0, 240}}},
        // Even bars from one edge and odd bars from the other at once (mode 3).
        {94, 30, {{560, 800}, kNone, {420, 600}, {0, 180}}},
        {95, 30, {{0, 240}, kNone, {420, 600}, {0, 180}}},
        {96, 30, {{560, 800}, {0, 240}, {420, 600}, kNone}},
        {97, 30, {{560, 800}, {0, 240}, {0, 180}, kNone}},
        {98, 30, {{560, 800}, {0, 240}, {420, 600}, {0, 180}}},
        {94, 97, {kFullRow, kNone, kFullCol, kFullCol}},
        {96, 97, {kFullRow, kFullRow, kFullCol, kNone}},
        {98, 97, {{24, 800}, {0, 776}, {18, 600}, {0, 582}}},  // no snap: never full before 100
        // X = 768 and Y = 576 come within S of the full size: the even bars are complete.
        {86, 48, {kFullRow, kNone, kFullCol, kNone}},
        // Step 100 (S = 889): the even bars are full from the first frame.
        {86, 1, {kFullRow, kNone, kFullCol, kNone}, 800, 600, 100},
        // 40 x 30 at step 1 has S = 0: X = 38 and Y = 28 stay short of the full size.
        {86, 48, {{2, 40}, kNone, {2, 30}, kNone}, 40, 30, 1},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(ShowsExactly(Reveal(c.style, c.w, c.h, c.progress, c.step), c.shown.Make(c.w, c.h), c.w, c.h))
            << "style " << c.style << " on " << c.w << "x" << c.h << " at " << c.progress << " step " << c.step;
    }
}

// At 99 percent X = 1584 and Y = 1188: the odd rows show from x = 16 and the odd columns
// from y = 12, so only rows 5-9 of columns 5-9 and 15 keep the old picture.
TEST(CrissCross, AlmostDoneLeavesThirtyOldPixels) {
    const Revealed frame = Reveal(86, 800, 600, 99);
    EXPECT_TRUE(ShowsExactly(frame, Lattice{kFullRow, {16, 800}, kFullCol, {12, 600}}.Make(800, 600), 800, 600));
    EXPECT_EQ(Area(frame.Shown), 800u * 600u - 30u);
    EXPECT_FALSE(frame.Shown.Contains(15, 9));
    EXPECT_TRUE(frame.Shown.Contains(16, 9));
}

// 99 is the intersection of the lattice from the bottom right with the one from the top
// left, not their union.
TEST(CrissCross, BottomLeftTopRightShowsWhereBothLatticesMeet) {
    struct Case {
        int progress;
        Lattice fromBottomRight, fromTopLeft;
    } cases[] = {
        // X = 160, Y = 120: 5 x 5 crossings in the 160 x 120 corners at the top right and the
        // bottom left.
        {10, {{640, 800}, kNone, {480, 600}, kNone}, {{0, 160}, kNone, {0, 120}, kNone}},
        {70, {kFullRow, {480, 800}, kFullCol, {360, 600}}, {kFullRow, {0, 320}, kFullCol, {0, 240}}},
    };
    for (const Case& c : cases) {
        const Revealed frame = Reveal(99, 800, 600, c.progress);
        EXPECT_TRUE(ShowsExactly(frame, c.fromBottomRight.Make(800, 600) & c.fromTopLeft.Make(800, 600), 800, 600))
            << "at " << c.progress;
    }
    // 12 even rows by 16 even columns in each corner, 25 pixels a crossing.
    const Revealed early = Reveal(99, 800, 600, 10);
    EXPECT_EQ(Area(early.Shown), 2u * 12u * 16u * 25u);
    EXPECT_TRUE(early.Shown.Contains(794, 0));
    EXPECT_TRUE(early.Shown.Contains(0, 599 - 5));
    EXPECT_FALSE(early.Shown.Contains(795, 0));
}
