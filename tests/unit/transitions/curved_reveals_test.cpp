#include <gtest/gtest.h>

#include <cstdint>

#include "graphics/Region.h"
#include "tests/unit/transitions/revealed_pixels.h"

using kv::Region;
using kv_test::Reveal;
using kv_test::Revealed;
using kv_test::ShowsExactly;

namespace {

struct Round {
    int32_t l, t, r, b, w, h;
    Region Make() const { return Region::RoundRect(l, t, r, b, w, h); }
};

uint64_t Area(const Region& r) {
    uint64_t area = 0;
    for (const Region::Band& band : r.Bands())
        for (const kv::Span& s : band.Spans) area += uint64_t(s.Right - s.Left) * uint64_t(band.Bottom - band.Top);
    return area;
}

}  // namespace

// The rounded rectangle of each style, worked out by hand. 801 x 601 at 33 percent has
// PW 264, PH 198 and odd halves (W div 2 = 400, 3W div 2 = 1201); 600 x 800 is a
// portrait picture (PH 264, PW 198).
TEST(CurvedReveals, EachStyleShowsItsRoundedRectangle) {
    struct Case {
        int style, w, h, progress;
        Round shape;
    } cases[] = {
        {58, 801, 601, 33, {-1602, -5, 528, 606, 1602, 1602}},
        {59, 801, 601, 33, {273, -5, 2403, 606, 1602, 1602}},
        {69, 801, 601, 33, {-5, -1202, 806, 396, 1202, 1202}},
        {70, 801, 601, 33, {-5, 205, 806, 1803, 1202, 1202}},
        {80, 801, 601, 33, {-1602, -1202, 528, 396, 1602, 1202}},
        {81, 801, 601, 33, {273, -1202, 2403, 396, 1602, 1202}},
        {82, 801, 601, 33, {-1602, 205, 528, 1803, 1602, 1202}},
        {83, 801, 601, 33, {273, 205, 2403, 1803, 1202, 1202}},  // 2H wide, not 2W
        {84, 801, 601, 33, {136, 102, 664, 498, 475, 356}},
        {58, 600, 800, 33, {-1200, -5, 396, 805, 1200, 1200}},
        {69, 600, 800, 33, {-5, -1600, 605, 528, 1600, 1600}},
        {83, 600, 800, 33, {204, 272, 1800, 2400, 1600, 1600}},
        // The apex touches the right edge at mid-height; the ends lag W behind it.
        {58, 800, 600, 50, {-1600, -5, 800, 605, 1600, 1600}},
        // The whole picture but four rounded-off corners.
        {84, 800, 600, 50, {0, 0, 800, 600, 720, 540}},
        {83, 800, 600, 50, {0, 0, 2400, 1800, 1200, 1200}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(ShowsExactly(Reveal(c.style, c.w, c.h, c.progress), c.shape.Make(), c.w, c.h))
            << "style " << c.style << " on " << c.w << "x" << c.h << " at " << c.progress;
    }
}

// 85 shows the picture minus a shape that shrinks onto the centre. On 801 x 601 at 33
// percent its ellipse is 9 * 537 / 5 = 966.6, truncated to 966.
TEST(CurvedReveals, CircularRevealToCentreShowsTheOutside) {
    struct Case {
        int w, h, progress;
        Round shape;
    } cases[] = {
        {801, 601, 33, {-136, -102, 937, 703, 966, 725}},
        {800, 600, 50, {0, 0, 800, 600, 720, 540}},  // only the four corners
    };
    for (const Case& c : cases) {
        const Region picture(kv::Rect{0, 0, c.w, c.h});
        EXPECT_TRUE(ShowsExactly(Reveal(85, c.w, c.h, c.progress), picture ^ c.shape.Make(), c.w, c.h))
            << c.w << "x" << c.h << " at " << c.progress;
    }
    // At 1 percent the shape (-392, -294, 1192, 894; 1425 x 1069) still covers the corners.
    EXPECT_TRUE(ShowsExactly(Reveal(85, 800, 600, 1), Region(), 800, 600));
}

// Over a whole transition each front only advances: every frame shows what the one before
// showed; the first pixels to show lie at the style's edge, corner or centre (or, for 85,
// the corners) and not at the opposite side; the last frame shows nearly everything.
TEST(CurvedReveals, FrontsStartAtTheirOriginAndOnlyAdvance) {
    const int w = 160, h = 120;
    struct Case {
        int style;
        int startX, startY;  // among the first pixels to show
        int farX, farY;      // not among them
    } cases[] = {
        {58, 0, 60, 159, 60},   {59, 159, 60, 0, 60},    {69, 80, 0, 80, 119},
        {70, 80, 119, 80, 0},   {80, 0, 0, 159, 119},    {81, 159, 0, 0, 119},
        {82, 0, 119, 159, 0},   {83, 159, 119, 0, 0},    {84, 80, 60, 0, 0},
        {85, 0, 0, 80, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style);
        Region before;
        bool started = false;
        for (int progress = 1; progress <= 99; ++progress) {
            const Revealed frame = Reveal(c.style, w, h, progress);
            ASSERT_EQ(frame.Misplaced, 0) << "at " << progress;
            ASSERT_TRUE((before & frame.Shown) == before) << "the front went back at " << progress;
            if (!started && !frame.Shown.IsEmpty()) {
                started = true;
                EXPECT_TRUE(frame.Shown.Contains(c.startX, c.startY)) << "first shown at " << progress;
                EXPECT_FALSE(frame.Shown.Contains(c.farX, c.farY)) << "first shown at " << progress;
            }
            before = frame.Shown;
        }
        EXPECT_GE(Area(before), uint64_t{w * h * 98 / 100});
    }
}
