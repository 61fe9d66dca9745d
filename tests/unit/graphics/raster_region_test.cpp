#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "graphics/Region.h"
#include "RasterFixtures.h"

using kv::Point;
using kv::Rect;
using kv::Region;
using kv::RegionBuilder;

namespace {

using kv::test::Picture;

using kv::test::Rows;

}  // namespace

TEST(RasterRegion, RectanglesCoverLeftTopInclusiveRightBottomExclusive) {
    Region r(Rect{2, 1, 5, 3});
    EXPECT_EQ(Picture(r, {0, 0, 6, 4}), (Rows{"......", "..###.", "..###.", "......"}));
    EXPECT_EQ(r.Bounds(), (Rect{2, 1, 5, 3}));
    EXPECT_EQ(r.RectCount(), 1u);

    for (Rect empty : {Rect{5, 1, 5, 3}, Rect{5, 1, 2, 3}, Rect{0, 3, 4, 3}, Rect{0, 4, 4, 3}}) {
        Region e(empty);
        EXPECT_TRUE(e.IsEmpty());
        EXPECT_EQ(e.Bounds(), Rect{});
        EXPECT_FALSE(e.Contains(empty.Left, empty.Top));
    }

    r.Offset(-3, 10);
    EXPECT_EQ(r.Bounds(), (Rect{-1, 11, 2, 13}));
    EXPECT_TRUE(r.Contains(-1, 11));
    EXPECT_FALSE(r.Contains(2, 11));
}

TEST(RasterRegion, CombineOverlappingRectangles) {
    const Region a(Rect{0, 0, 4, 3});
    const Region b(Rect{2, 1, 6, 4});
    const Rect window{0, 0, 6, 4};
    EXPECT_EQ(Picture(a | b, window), (Rows{"####..", "######", "######", "..####"}));
    EXPECT_EQ(Picture(a & b, window), (Rows{"......", "..##..", "..##..", "......"}));
    EXPECT_EQ(Picture(a ^ b, window), (Rows{"####..", "##..##", "##..##", "..####"}));
    EXPECT_EQ(Region::Combine(a, b, kv::RegionOp::Or), a | b);

    // One representation per pixel set: order does not matter and bands merge.
    EXPECT_EQ(a | b, b | a);
    EXPECT_EQ((a | b).BandCount(), 3u);
    EXPECT_EQ((a ^ b).RectCount(), 4u);
    EXPECT_TRUE((a ^ a).IsEmpty());
    EXPECT_EQ(a ^ b ^ b, a);
    EXPECT_TRUE((a & Region(Rect{4, 0, 9, 3})).IsEmpty()) << "touching is not overlapping";
    Region stacked = Region(Rect{0, 0, 4, 2}) | Region(Rect{0, 2, 2, 5}) | Region(Rect{2, 2, 4, 5});
    EXPECT_EQ(stacked, Region(Rect{0, 0, 4, 5}));
    EXPECT_EQ(stacked.BandCount(), 1u);
    EXPECT_EQ(stacked.RectCount(), 1u);

    Region empty;
    EXPECT_EQ(a | empty, a);
    EXPECT_TRUE((a & empty).IsEmpty());
    EXPECT_EQ(empty ^ b, b);
}

// Combine and RegionBuilder against a pixel-by-pixel evaluation on random rectangles.
TEST(RasterRegion, CombineAndBuilderMatchPixelSets) {
    std::mt19937 rng(7);
    auto randomRect = [&] {
        std::uniform_int_distribution<int> c(-3, 24);
        return Rect{c(rng), c(rng), c(rng), c(rng)};  // about half are empty
    };
    const Rect window{-4, -4, 26, 26};
    for (int round = 0; round < 40; ++round) {
        std::vector<Rect> ra(12), rb(5);
        for (Rect& r : ra) r = randomRect();
        for (Rect& r : rb) r = randomRect();
        auto inAny = [](const std::vector<Rect>& rs, int x, int y) {
            for (const Rect& r : rs)
                if (r.Contains(x, y)) return true;
            return false;
        };
        RegionBuilder builder;
        Region folded;
        for (const Rect& r : ra) {
            builder.Add(r);
            folded |= Region(r);
        }
        const Region a = builder.Build();
        EXPECT_TRUE(builder.IsEmpty());
        EXPECT_EQ(a, folded);
        Region b;
        for (const Rect& r : rb) b |= Region(r);
        const Region both = a & b, either = a | b, odd = a ^ b;
        for (int y = window.Top; y < window.Bottom; ++y)
            for (int x = window.Left; x < window.Right; ++x) {
                bool ia = inAny(ra, x, y), ib = inAny(rb, x, y);
                ASSERT_EQ(a.Contains(x, y), ia) << x << "," << y;
                ASSERT_EQ(both.Contains(x, y), ia && ib) << x << "," << y;
                ASSERT_EQ(either.Contains(x, y), ia || ib) << x << "," << y;
                ASSERT_EQ(odd.Contains(x, y), ia != ib) << x << "," << y;
            }
        // Builder mixing rectangles and regions.
        RegionBuilder mixed;
        mixed.Add(b);
        for (const Rect& r : ra) mixed.Add(r);
        EXPECT_EQ(mixed.Build(), either);
    }
}

TEST(RasterRegion, RoundRectCornersPixelByPixel) {
    // Pixel centres inside the rounded outline: a 4 x 4 corner ellipse drops one pixel
    // at each corner of an 8 x 6 rectangle.
    EXPECT_EQ(Picture(Region::RoundRect(0, 0, 8, 6, 4, 4), {0, 0, 8, 6}),
              (Rows{".######.", "########", "########", "########", "########", ".######."}));
    // A corner ellipse as large as the square gives its inscribed disc.
    EXPECT_EQ(Picture(Region::RoundRect(0, 0, 10, 10, 10, 10), {0, 0, 10, 10}),
              (Rows{"...####...", ".########.", ".########.", "##########", "##########",
                    "##########", "##########", ".########.", ".########.", "...####..."}));
    // Ellipses larger than the rectangle are reduced to it; no ellipse gives the rectangle.
    EXPECT_EQ(Region::RoundRect(3, 2, 13, 12, 400, 90), Region::RoundRect(3, 2, 13, 12, 10, 10));
    EXPECT_EQ(Region::RoundRect(1, 1, 7, 5, 0, 3), Region(Rect{1, 1, 7, 5}));
    EXPECT_TRUE(Region::RoundRect(7, 1, 7, 5, 4, 4).IsEmpty());

    // Symmetric left/right and top/bottom for odd and even sizes and corners.
    for (auto [w, h, cw, ch] : {std::array{9, 7, 5, 3}, std::array{12, 9, 11, 8},
                                std::array{31, 20, 40, 13}, std::array{6, 15, 3, 15}}) {
        Region r = Region::RoundRect(-2, 5, w - 2, h + 5, cw, ch);
        for (int y = 5; y < h + 5; ++y)
            for (int x = -2; x < w - 2; ++x) {
                ASSERT_EQ(r.Contains(x, y), r.Contains(w - 5 - x, y)) << w << "x" << h << " " << x << "," << y;
                ASSERT_EQ(r.Contains(x, y), r.Contains(x, h + 9 - y)) << w << "x" << h << " " << x << "," << y;
            }
    }
}

TEST(RasterRegion, RoundRectOfACurvedRevealFront) {
    // A half-ellipse front 800 pixels deep whose apex touches x = 799 at mid-height of a
    // 600-row picture and whose ends lie 5 rows outside it.
    Region r = Region::RoundRect(-1600, -5, 800, 605, 1600, 1600);
    EXPECT_TRUE(r.Contains(799, 299));
    EXPECT_TRUE(r.Contains(799, 300));
    EXPECT_FALSE(r.Contains(800, 300));
    EXPECT_FALSE(r.Contains(799, 0));
    // Row 0's centre lies 299.5 of 305 rows from the ellipse's centre line:
    // 800 * sqrt(1 - (299.5 / 305)^2) = 151.3, so pixels up to x = 150.
    EXPECT_TRUE(r.Contains(150, 0));
    EXPECT_FALSE(r.Contains(151, 0));
    EXPECT_EQ(r.Bounds(), (Rect{-1600, -5, 800, 605}));
}

TEST(RasterRegion, PolygonsUseTheWindingRuleOnPixelCentres) {
    const Point rect[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    EXPECT_EQ(Region::Polygon(rect), Region(Rect{1, 1, 5, 4}));
    const Point reversed[] = {{1, 4}, {5, 4}, {5, 1}, {1, 1}};
    EXPECT_EQ(Region::Polygon(reversed), Region(Rect{1, 1, 5, 4}));

    const Point triangle[] = {{0, 0}, {8, 0}, {0, 8}};
    EXPECT_EQ(Picture(Region::Polygon(triangle), {0, 0, 8, 8}),
              (Rows{"#######.", "######..", "#####...", "####....", "###.....", "##......",
                    "#.......", "........"}));

    // A pentagram: its inner pentagon has winding number 2 and is filled.
    const Point star[] = {{5, 0}, {8, 9}, {0, 3}, {10, 3}, {2, 9}};
    EXPECT_EQ(Picture(Region::Polygon(star), {0, 0, 10, 10}),
              (Rows{"..........", "....#.....", "....##....", ".########.", "..######..",
                    "...####...", "...####...", "..##..#...", "..#....#..", ".........."}));

    // A hole traced in the same direction as the outline has winding 2 (filled); traced
    // the other way it has winding 0 (a hole).
    const Point sameWay[] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}};
    EXPECT_EQ(Region::Polygon(sameWay), Region(Rect{0, 0, 6, 6}));
    const Point otherWay[] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {2, 2}, {2, 4}, {4, 4}, {4, 2}, {2, 2}};
    EXPECT_EQ(Region::Polygon(otherWay), Region(Rect{0, 0, 6, 6}) ^ Region(Rect{2, 2, 4, 4}));

    const Point line[] = {{0, 0}, {5, 5}};
    EXPECT_TRUE(Region::Polygon(line).IsEmpty());
    const Point flat[] = {{0, 3}, {5, 3}, {9, 3}};
    EXPECT_TRUE(Region::Polygon(flat).IsEmpty());
}
