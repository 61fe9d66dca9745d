// Triangle reveals (110..117): which pixels of a frame show the new picture, and that
// each shows the new picture's own pixel at the same place.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Region.h"
#include "transitions/EffectHelpers.h"
#include "transitions/TransitionEffects.h"
#include "tests/unit/transitions/revealed_pixels.h"

using kv::Bitmap;
using kv::Region;

namespace {

constexpr uint32_t kOld = kv_test::kOldColour;
using Frame = kv_test::InPlaceFrame;

// One frame over the old colour; every pixel must be the old colour or the new
// picture's pixel at the same place.
Frame Render(int style, int w, int h, int step, int progress) {
    return kv_test::RenderInPlace(style, w, h, step, progress);
}

struct Probe {
    int x, y;
};

}  // namespace

// 800 x 600, Step 4: at Progress 25 PW = 200, PH = 150; at 50 PW = 400, PH = 300.
TEST(TriangleReveals, CornerTrianglesAndWedges) {
    struct Case {
        int style, progress;
        std::vector<Probe> shown, kept;
    } cases[] = {
        // Legs 400 across and 300 down from the corner.
        {110, 25, {{0, 0}, {390, 2}, {2, 290}, {150, 150}}, {{300, 200}, {799, 0}, {0, 599}, {405, 0}}},
        {111, 25, {{799, 0}, {409, 2}, {797, 290}, {650, 150}}, {{500, 200}, {0, 0}, {799, 599}, {394, 0}}},
        {112, 25, {{0, 599}, {390, 597}, {2, 309}, {150, 450}}, {{300, 400}, {0, 0}, {799, 599}, {405, 599}}},
        {113, 25, {{799, 599}, {409, 597}, {797, 309}, {650, 450}}, {{500, 400}, {799, 0}, {0, 599}, {394, 599}}},
        // Left wedge up to the line (0, 0)-(400, 600), right wedge from (400, 0)-(800, 600).
        {114, 50, {{5, 300}, {190, 300}, {380, 595}, {610, 300}, {795, 300}, {410, 5}},
                  {{210, 300}, {400, 300}, {590, 300}, {420, 595}, {380, 5}}},
        // Top wedge above (0, 0)-(800, 300), bottom wedge below (0, 300)-(800, 600).
        {115, 50, {{400, 100}, {400, 500}, {795, 290}, {5, 310}}, {{400, 200}, {400, 300}, {400, 400}, {5, 290}}},
        // Wedges from the centre (400, 300): up the left edge from (0, 600) to (0, 450),
        // along the top from (0, 0) to (200, 0), along the bottom from (800, 600) to
        // (600, 600), down the right edge from (800, 0) to (800, 150).
        {116, 25, {{5, 520}, {100, 5}, {700, 595}, {795, 80}},
                  {{5, 400}, {300, 5}, {500, 595}, {795, 300}, {100, 300}, {700, 300}}},
        // Near the end the four wedges fill all but slivers next to the rays.
        {116, 99, {{5, 400}, {300, 5}, {500, 595}, {795, 300}, {100, 300}, {700, 300}}, {}},
    };
    for (const Case& c : cases) {
        const Frame f = Render(c.style, 800, 600, 4, c.progress);
        for (Probe p : c.shown)
            EXPECT_TRUE(f.New(p.x, p.y)) << "style " << c.style << " progress " << c.progress << " (" << p.x << ", " << p.y << ") kept";
        for (Probe p : c.kept)
            EXPECT_FALSE(f.New(p.x, p.y)) << "style " << c.style << " progress " << c.progress << " (" << p.x << ", " << p.y << ") shown";
    }
}

TEST(TriangleReveals, HalfProgressReachesTheOppositeDiagonal) {
    // 110 at 50 on 800 x 600 is the triangle (0, 0), (800, 0), (0, 600): the half above
    // the diagonal from the top-right to the bottom-left corner.
    const Frame f = Render(110, 800, 600, 4, 50);
    EXPECT_TRUE(f.New(399, 299));
    EXPECT_FALSE(f.New(400, 300));
    EXPECT_TRUE(f.New(798, 0));
    EXPECT_FALSE(f.New(799, 599));
    EXPECT_NEAR(static_cast<double>(f.NewCount()), 240000.0, 800.0);
}

TEST(TriangleReveals, StarburstCentreOnAnOddWidth) {
    // 801 x 600 at 50: PW = 401, PH = 300, centre (400, 300). The bottom wedge (400, 600),
    // (400, 300), (801, 600) has a vertical side along x = 400 up to the centre; with the
    // centre at the true 400.5 its side would lean and miss the pixel right below it.
    const Frame f = Render(116, 801, 600, 4, 50);
    EXPECT_TRUE(f.New(400, 301));
    EXPECT_TRUE(f.New(400, 590));
    EXPECT_FALSE(f.New(399, 301));
    EXPECT_FALSE(f.New(399, 590));
}

TEST(TriangleReveals, NothingShowsWhileTheExtentsAreZero) {
    // 40 x 30 at Progress 1: PW = PH = 0, every triangle is flat.
    for (int style = 110; style <= 116; ++style)
        EXPECT_EQ(Render(style, 40, 30, 4, 1).NewCount(), 0) << "style " << style;
}

// The lattice of style 117 as literally described: the union of (N + 1)² triangles, each
// made on its own, with N = 1 when S is 0.
Region LatticeByTriangles(int w, int h, int step, int progress) {
    const kv::ProgressExtents g = kv::ProgressGeometry(kv::Rect{0, 0, w, h}, static_cast<uint16_t>(step),
                                                       static_cast<uint8_t>(progress));
    int N = g.S;
    if (N > 1) N /= 2;
    if (N == 0) N = 1;
    const int Wq = g.W / N, Hq = g.H / N, PWq = g.PW / N, PHq = g.PH / N;
    kv::RegionBuilder builder;
    for (int i = N; i >= 0; --i)
        for (int j = N; j >= 0; --j)
            builder.Add(kv::TriangleRegion(j * Wq - PWq, i * Hq - PHq, j * Wq + PWq, i * Hq - PHq,
                                           j * Wq - PWq, i * Hq + PHq));
    return builder.Build();
}

TEST(TriangleReveals, ShredLatticeShowsTheUnionOfItsTriangles) {
    struct Case {
        int w, h, step, progress;
    } cases[] = {
        {800, 600, 4, 1},   {800, 600, 4, 50}, {800, 600, 4, 99},
        {123, 77, 4, 50},   {97, 211, 7, 63},  // portrait, odd sizes, remainders
        {40, 30, 1, 50},                       // S = 0
        {150, 100, 100, 99},                   // N = 83: lattice pitch 1
        {300, 40, 100, 70},                    // H' = 0 on the short side
    };
    for (const Case& c : cases) {
        const Frame f = Render(117, c.w, c.h, c.step, c.progress);
        const Region expected = LatticeByTriangles(c.w, c.h, c.step, c.progress);
        int wrong = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                if (f.New(x, y) != expected.Contains(x, y) && wrong++ == 0) firstX = x, firstY = y;
        EXPECT_EQ(wrong, 0) << c.w << "x" << c.h << " step " << c.step << " progress " << c.progress
                            << ", first at (" << firstX << ", " << firstY << ")";
    }
}

TEST(TriangleReveals, ShredLatticeSpacingAndCover) {
    // 800 x 600, Step 4: S = 36, N = 18, W' = 44, H' = 33. At 50, PW' = 22 and PH' = 16:
    // the triangle about (44, 33) has corners (22, 17), (66, 17), (22, 49).
    const Frame half = Render(117, 800, 600, 4, 50);
    EXPECT_TRUE(half.New(23, 18));
    EXPECT_TRUE(half.New(30, 20));
    EXPECT_FALSE(half.New(60, 40));
    EXPECT_FALSE(half.New(21, 18));
    const double halfCover = static_cast<double>(half.NewCount()) / (800 * 600);
    EXPECT_GT(halfCover, 0.44);
    EXPECT_LT(halfCover, 0.52);
    // At 99 (PW' = 44, PH' = 33) the lattice covers everything up to (792, 594).
    const Frame late = Render(117, 800, 600, 4, 99);
    EXPECT_GT(static_cast<double>(late.NewCount()) / (800 * 600), 0.98);
}

TEST(TriangleReveals, ShredOnAPictureWithoutStepSizeGrowsFromTheCorners) {
    // 40 x 30 with Step 1: S = 0, drawn as the lattice of the four corners (N = 1). At
    // 50, PW = 20 and PH = 15: the triangles about (40, 0), (0, 30) and (40, 30) reach
    // into the picture, the one about (0, 0) does not.
    const Frame f = Render(117, 40, 30, 1, 50);
    EXPECT_TRUE(f.New(21, 1));
    EXPECT_TRUE(f.New(1, 16));
    EXPECT_TRUE(f.New(21, 16));
    EXPECT_FALSE(f.New(1, 1));
    EXPECT_FALSE(f.New(39, 14));
}
