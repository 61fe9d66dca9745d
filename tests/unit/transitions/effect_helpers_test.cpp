#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "transitions/EffectHelpers.h"
#include "RasterFixtures.h"

using kv::Bitmap;
using kv::Point;
using kv::Rect;
using kv::Region;
using kv::RegionBuilder;

namespace {

using kv::test::Numbered;

using kv::test::Filled;

uint64_t Area(const Region& r) {
    uint64_t area = 0;
    for (const Region::Band& band : r.Bands())
        for (const kv::Span& s : band.Spans) area += uint64_t(s.Right - s.Left) * uint64_t(band.Bottom - band.Top);
    return area;
}

using kv::test::Picture;
using kv::test::Rows;

}  // namespace

TEST(EffectHelpers, ProgressGeometryFollowsTheLongerSide) {
    struct Case {
        Rect r;
        int step, progress, W, H, PW, PH, S;
    } cases[] = {
        {{0, 0, 1024, 768}, 4, 50, 1024, 768, 512, 384, 46},
        {{0, 0, 600, 800}, 4, 37, 600, 800, 222, 296, 36},
        {{0, 0, 800, 600}, 4, 1, 800, 600, 8, 6, 36},
        {{0, 0, 600, 800}, 4, 1, 600, 800, 6, 8, 36},
        {{0, 0, 40, 30}, 1, 50, 40, 30, 20, 15, 0},       // S = 0 on a small picture
        {{100, 50, 900, 650}, 4, 25, 800, 600, 200, 150, 36},
        {{0, 0, 800, 600}, 68, 99, 800, 600, 792, 594, 604},
        {{0, 0, 0, 10}, 4, 50, 0, 10, 0, 5, 0},
        {{0, 0, 0, 0}, 4, 50, 0, 0, 0, 0, 0},              // no picture: no division by 0
        {{10, 10, 0, 0}, 4, 50, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        kv::ProgressExtents g = kv::ProgressGeometry(c.r, static_cast<uint16_t>(c.step), static_cast<uint8_t>(c.progress));
        EXPECT_EQ((std::vector<int>{g.W, g.H, g.PW, g.PH, g.S}),
                  (std::vector<int>{c.W, c.H, c.PW, c.PH, c.S}))
            << c.r.Right << "x" << c.r.Bottom << " step " << c.step << " progress " << c.progress;
    }
}

TEST(EffectHelpers, MirrorCopyCoversTwoColumnsBeyondTheRightEdge) {
    const Bitmap image = Numbered(10, 5);
    Bitmap screen(30, 5);
    kv::MirrorCopy(screen.Canvas(), Rect{10, 0, 20, 5}, image, Rect{-5, 0, 10, 5}, true, false);
    // Origin 21, width -12: columns 10..21 show source columns 9..0 stretched by 12/10.
    const int expected[30] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 9, 8, 7, 7, 6, 5, 4, 3, 2, 2,
                              1,  0,  -1, -1, -1, -1, -1, -1, -1, -1};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 30; ++x) {
            uint32_t v = screen.Pixel(x, y);
            int col = v == 0 ? -1 : static_cast<int>(v & 0xFFF);
            ASSERT_EQ(col, expected[x]) << x << "," << y;
            if (v != 0) {
                ASSERT_EQ(static_cast<int>(v >> 12 & 0xFFF), y);
            }
        }

    // Top-bottom: D (0, 1, 3, 4) becomes origin 5, height -5: rows 1..5 from rows 2..0.
    const Bitmap small = Numbered(3, 3);
    Bitmap tall(3, 7);
    kv::MirrorCopy(tall.Canvas(), Rect{0, 1, 3, 4}, small, Rect{0, 0, 3, 3}, false, true);
    const int rows[7] = {-1, 2, 2, 1, 0, 0, -1};
    for (int y = 0; y < 7; ++y) {
        uint32_t v = tall.Pixel(1, y);
        EXPECT_EQ(v == 0 ? -1 : static_cast<int>(v >> 12 & 0xFFF), rows[y]) << "row " << y;
    }
}

TEST(EffectHelpers, BlendBitmapMixesColourBytesAndKeepsTheFourth) {
    struct Case {
        uint8_t dest, source;
        int percent;
        uint8_t expected;
    } cases[] = {
        {0, 200, 50, 100}, {0, 255, 1, 2},  {255, 0, 1, 252}, {0, 255, 99, 252},
        {10, 20, 0, 10},   {10, 20, 100, 20}, {10, 20, 150, 20}, {10, 20, -5, 10},
    };
    for (const Case& c : cases) {
        Bitmap dest = Filled(3, 2, 0x7F000000u | c.dest * 0x010101u);
        Bitmap source = Filled(3, 2, 0xFF000000u | c.source * 0x010101u);
        kv::BlendBitmap(dest, source, c.percent);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(dest.Pixel(x, y), 0x7F000000u | c.expected * 0x010101u)
                    << int(c.dest) << " under " << int(c.source) << " at " << c.percent << "%";
    }
    // Every pair of byte values (dest x against source x + 3y + b in colour byte b),
    // against (d * (100 - P) + s * P) div 100.
    for (int percent : {1, 37, 50, 99}) {
        Bitmap dest(256, 86), source(256, 86);
        for (int y = 0; y < 86; ++y)
            for (int x = 0; x < 256; ++x) {
                std::memset(dest.ScanLine(y) + x * 4, x, 4);
                for (int b = 0; b < 4; ++b) source.ScanLine(y)[x * 4 + b] = static_cast<uint8_t>(x + 3 * y + b);
            }
        Bitmap expected = dest;
        for (int y = 0; y < 86; ++y)
            for (int i = 0; i < 256 * 4; ++i)
                if (i % 4 != 3)
                    expected.ScanLine(y)[i] = static_cast<uint8_t>(
                        (dest.ScanLine(y)[i] * (100 - percent) + source.ScanLine(y)[i] * percent) / 100);
        kv::BlendBitmap(dest, source, percent);
        ASSERT_EQ(dest, expected) << percent << "%";
    }
    // Only the part both bitmaps cover is touched.
    Bitmap dest = Filled(2, 1, 0), source = Filled(4, 3, 0x00C8C8C8);
    kv::BlendBitmap(dest, source, 50);
    EXPECT_EQ(dest.Pixel(1, 0), 0x00646464u);
    Bitmap wide = Filled(4, 3, 0);
    kv::BlendBitmap(wide, Filled(2, 1, 0x00C8C8C8), 50);
    EXPECT_EQ(wide.Pixel(1, 0), 0x00646464u);
    EXPECT_EQ(wide.Pixel(2, 0), 0u);
    EXPECT_EQ(wide.Pixel(0, 1), 0u);
}

TEST(EffectHelpers, RotateBitmapAtZeroShiftsByOnePixel) {
    const Bitmap image = Numbered(5, 4);
    for (auto [cx, cy] : {std::pair{0, 0}, std::pair{-1, -1}, std::pair{5, 4}}) {
        Bitmap screen = Filled(5, 4, 0xEE);
        kv::RotateBitmap(screen, image, cx, cy, 0.0L);
        for (int r = 0; r < 4; ++r)
            for (int x = 0; x < 5; ++x) {
                uint32_t expected = (x + 1 < 5 && r >= 1) ? image.Pixel(x + 1, r - 1) : 0xEEu;
                ASSERT_EQ(screen.Pixel(x, r), expected) << x << "," << r << " about " << cx << "," << cy;
            }
    }
}

TEST(EffectHelpers, RotateBitmapQuarterTurnIsCounterClockwise) {
    // A = pi/2: C = 0, S = -65536, so sx = CX + v and sy = CY - u. About (2, 2) on a
    // 4 x 4 picture, pixel (x, r) shows (4 - r, x): the top row of the picture turns
    // into the left column; row 0 would read column 4, outside, and keeps its value.
    const Bitmap image = Numbered(4, 4);
    Bitmap screen = Filled(4, 4, 0xEE);
    kv::RotateBitmap(screen, image, 2, 2, kv::kPi / 2);
    for (int r = 0; r < 4; ++r)
        for (int x = 0; x < 4; ++x) {
            uint32_t expected = r >= 1 ? image.Pixel(4 - r, x) : 0xEEu;
            ASSERT_EQ(screen.Pixel(x, r), expected) << x << "," << r;
        }

    // Rotating a bitmap into itself reads the unturned picture.
    Bitmap self = Numbered(4, 4);
    kv::RotateBitmap(self, self, 2, 2, kv::kPi / 2);
    EXPECT_EQ(self.Pixel(0, 1), image.Pixel(3, 0));
    EXPECT_EQ(self.Pixel(3, 3), image.Pixel(1, 3));
}

TEST(EffectHelpers, RotateBitmapWrapsItsOffsetsAtSixteenBits) {
    // hi() keeps 16 bits: at u = 32768 the offset wraps to -32768 and the source column
    // falls outside the picture, so that pixel keeps its value.
    const int w = 32800;
    Bitmap image(w, 2), screen(w, 2);
    for (int x = 0; x < w; ++x) image.SetPixel(x, 0, static_cast<uint32_t>(x) + 1);
    kv::RotateBitmap(screen, image, 0, 0, 0.0L);
    EXPECT_EQ(screen.Pixel(32766, 1), 32768u);
    EXPECT_EQ(screen.Pixel(32767, 1), 0u);
    EXPECT_EQ(screen.Pixel(32790, 1), 0u);
}

TEST(EffectHelpers, RotatePointsTurnsClockwiseOnScreen) {
    // The rotational rectangle at Progress 25 on 800 x 600: a quarter turn.
    Point corners[] = {{300, 225}, {500, 225}, {500, 375}, {300, 375}};
    kv::RotatePoints(corners, 400, 300, 25 * kv::kPi / 50);
    EXPECT_EQ(corners[0], (Point{475, 200})) << "top left moves to top right";
    EXPECT_EQ(corners[1], (Point{475, 400}));
    EXPECT_EQ(corners[2], (Point{325, 400}));
    EXPECT_EQ(corners[3], (Point{325, 200}));
    Point half[] = {{300, 225}};
    kv::RotatePoints(half, 400, 300, kv::kPi);
    EXPECT_EQ(half[0], (Point{500, 375}));
}

TEST(EffectHelpers, BarsRegionCoversItsBars) {
    const Region picture(Rect{0, 0, 800, 600});
    auto rows = [](int from, int left, int right) {
        RegionBuilder b;
        for (int y = from; y < 600; y += 10) b.Add(left, y, right, y + 5);
        return b.Build();
    };
    // First phase, from the right: the even rows from x = 480.
    EXPECT_EQ(kv::BarsRegion(320, 0, 800, 600, 36, 1, 0) & picture, rows(0, 480, 800));
    // Second phase: even rows full, odd rows from 2W - X = 700.
    EXPECT_EQ(kv::BarsRegion(900, 0, 800, 600, 36, 1, 0) & picture,
              rows(0, 0, 800) | rows(5, 700, 800));
    // Within Snap of the full width the bars jump to it; without Snap they do not.
    EXPECT_EQ(kv::BarsRegion(780, 0, 800, 600, 36, 1, 0) & picture, rows(0, 0, 800));
    EXPECT_EQ(kv::BarsRegion(780, 0, 800, 600, 0, 1, 0) & picture, rows(0, 20, 800));
    // Mode 3: even rows from the right, odd rows from the left, at once.
    EXPECT_EQ(kv::BarsRegion(400, 0, 800, 600, 0, 3, 0) & picture, rows(0, 400, 800) | rows(5, 0, 400));
    // Modes 4 and 5 in the second phase: odd rows from the other side.
    EXPECT_EQ(kv::BarsRegion(960, 0, 800, 600, 36, 4, 0) & picture, rows(0, 0, 800) | rows(5, 640, 800));
    EXPECT_EQ(kv::BarsRegion(960, 0, 800, 600, 36, 5, 0) & picture, rows(0, 0, 800) | rows(5, 0, 160));

    // Columns: mode 2 grows the even columns down from the top.
    RegionBuilder cols;
    for (int x = 0; x < 800; x += 10) cols.Add(x, 0, x + 5, 120);
    EXPECT_EQ(kv::BarsRegion(0, 120, 800, 600, 36, 0, 2) & picture, cols.Build());
    EXPECT_TRUE(kv::BarsRegion(0, 0, 800, 600, 36, 0, 0).IsEmpty());
}

TEST(EffectHelpers, BarsRegionLatticeLeavesThirtyPixelsAtTheEnd) {
    // Criss-cross from the bottom right at Progress 99 on 800 x 600 (X 1584, Y 1188):
    // only rows 5..9 of columns 5..9 and 15 stay uncovered.
    const Region lattice = kv::BarsRegion(1584, 1188, 800, 600, 36, 1, 1) & Region(Rect{0, 0, 800, 600});
    EXPECT_EQ(Area(lattice), 800u * 600u - 30u);
    for (int y = 5; y < 10; ++y)
        for (int x : {5, 6, 7, 8, 9, 15}) EXPECT_FALSE(lattice.Contains(x, y)) << x << "," << y;

    // At Progress 30 (X 480, Y 360): even rows from x = 320, even columns from y = 240.
    RegionBuilder expected;
    for (int y = 0; y < 600; y += 10) expected.Add(320, y, 800, y + 5);
    for (int x = 0; x < 800; x += 10) expected.Add(x, 240, x + 5, 600);
    EXPECT_EQ(kv::BarsRegion(480, 360, 800, 600, 36, 1, 1) & Region(Rect{0, 0, 800, 600}), expected.Build());
}

TEST(EffectHelpers, ShredRegionStripsWithoutJitter) {
    // X not below W: no jitter; strips overlap by H mod 5 = 2 rows.
    kv::RandSeed(5);
    const uint64_t state = kv::RandState();
    const Region full = kv::ShredRegion(100, 0, 100, 12, 2, 0);
    EXPECT_EQ(full, Region(Rect{0, 0, 100, 7}) | Region(Rect{0, 5, 100, 12}) | Region(Rect{0, 10, 100, 17}));

    // W = 6 gives J = 0 as well; the four horizontal modes with X = 2, and their
    // vertical counterparts on the transposed picture.
    struct Case {
        int mode;
        const char* row;
    } cases[] = {{1, "....##"}, {2, "##...."}, {3, "..##.."}, {4, "#....#"}};
    for (const Case& c : cases) {
        Rows expectedRows(5, c.row);
        EXPECT_EQ(Picture(kv::ShredRegion(2, 0, 6, 5, c.mode, 0), {0, 0, 6, 5}), expectedRows) << "mode " << c.mode;
        Region vertical = kv::ShredRegion(0, 2, 5, 6, 0, c.mode);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(vertical.Contains(x, y), c.row[y] == '#') << "mode " << c.mode << " " << x << "," << y;
    }
    EXPECT_TRUE(kv::ShredRegion(50, 50, 100, 100, 0, 0).IsEmpty());
    EXPECT_EQ(kv::RandState(), state) << "Random(0) draws nothing";
}

TEST(EffectHelpers, ShredRegionJittersEachStripWithinASeventh) {
    // Uneven shred from the right at Progress 50 on 700 x 600: every strip starts at
    // 350 plus or minus at most 99, afresh for each strip.
    kv::RandSeed(11);
    const Region r = kv::ShredRegion(350, 0, 700, 600, 1, 0);
    std::set<int> lefts;
    for (int y = 0; y < 600; y += 5) {
        Region::Band band = r.BandAt(r.FirstBandBelow(y));
        ASSERT_EQ(band.Spans.size(), 1u);
        ASSERT_LE(band.Top, y);
        ASSERT_GE(band.Bottom, y + 5);
        EXPECT_GE(band.Spans[0].Left, 251);
        EXPECT_LE(band.Spans[0].Left, 449);
        EXPECT_EQ(band.Spans[0].Right, 700);
        lefts.insert(band.Spans[0].Left);
    }
    EXPECT_GT(lefts.size(), 30u);
    EXPECT_EQ(r.Bounds().Bottom, 600);

    // From the bottom on 700 x 603: columns 5 wide (700 mod 5 = 0), jitter below 86.
    const Region v = kv::ShredRegion(0, 300, 700, 603, 0, 1);
    for (int x = 0; x < 700; x += 5) {
        int top = 0;
        while (top < 603 && !v.Contains(x, top)) ++top;
        EXPECT_GE(top, 303 - 85) << x;
        EXPECT_LE(top, 303 + 85) << x;
        for (int dx = 1; dx < 5; ++dx) ASSERT_EQ(v.Contains(x + dx, top), true);
        ASSERT_TRUE(v.Contains(x, 602));
    }
}

TEST(EffectHelpers, SpeckleRegionFrontAndSpeckles) {
    // Narrower than 10 pixels: Z = 0, no speckles and no draws — the front alone.
    kv::RandSeed(3);
    const uint64_t state = kv::RandState();
    EXPECT_EQ(kv::SpeckleRegion(4, 0, 9, 20, 1, 0), Region(Rect{5, 0, 9, 21}));
    EXPECT_EQ(kv::SpeckleRegion(0, 4, 20, 9, 0, 2), Region(Rect{0, 0, 21, 4}));
    EXPECT_EQ(kv::RandState(), state);

    // W 1000, X 300: Z 100, f 5, n 20, t 15. The two cells next to the front always
    // show; the rest lie on the 5-pixel cells of the zone 600..700.
    const Region r = kv::SpeckleRegion(300, 0, 1000, 200, 1, 0);
    for (int y = 0; y < 200; ++y) {
        ASSERT_TRUE(r.Contains(690, y)) << y;
        ASSERT_TRUE(r.Contains(999, y)) << y;
        ASSERT_FALSE(r.Contains(599, y)) << y;
    }
    const Region speckles = r & Region(Rect{0, 0, 690, 200});
    EXPECT_FALSE(speckles.IsEmpty());
    for (const Region::Band& band : speckles.Bands())
        for (const kv::Span& s : band.Spans) {
            EXPECT_EQ(s.Left % 5, 0);
            EXPECT_EQ(s.Right % 5, 0);
            EXPECT_GE(s.Left, 600);
        }
    EXPECT_LT(Area(speckles), 90u * 200u) << "far cells show only now and then";

    // From the left, the speckles lie ahead of X.
    const Region left = kv::SpeckleRegion(300, 0, 1000, 50, 2, 0);
    EXPECT_TRUE(left.Contains(309, 10));
    EXPECT_FALSE(left.Contains(400, 10));
}

TEST(EffectHelpers, TriangleAndSectorRegions) {
    const Point tri[] = {{0, 0}, {800, 0}, {0, 600}};
    const Region half = kv::TriangleRegion(0, 0, 800, 0, 0, 600);
    EXPECT_EQ(half, Region::Polygon(tri));
    EXPECT_TRUE(half.Contains(0, 599 - 1));
    EXPECT_FALSE(half.Contains(799, 599));
    EXPECT_NEAR(static_cast<double>(Area(half)), 240000.0, 800.0);

    // The fan ends one segment short: points (0, 0), (100, 0), (71, 71).
    const Point fan[] = {{0, 0}, {100, 0}, {71, 71}};
    EXPECT_EQ(kv::SectorRegion(0, 0, 100, 0, kv::kPi / 2, 2), Region::Polygon(fan));
    // Sweep at Progress 1: a polygon of two points, empty; no count, no fan.
    EXPECT_TRUE(kv::SectorRegion(400, 300, 500, -kv::kPi / 2, kv::kPi / 50 - kv::kPi / 2, 1).IsEmpty());
    EXPECT_TRUE(kv::SectorRegion(400, 300, 500, 0, 1, 0).IsEmpty());
    // Sweep clockwise at Progress 25 on 800 x 600: from straight up to 3.6 degrees short
    // of straight right.
    const Region quarter = kv::SectorRegion(400, 300, 500, -kv::kPi / 2, 25 * kv::kPi / 50 - kv::kPi / 2, 25);
    EXPECT_TRUE(quarter.Contains(402, 10));
    EXPECT_TRUE(quarter.Contains(800, 270));
    EXPECT_FALSE(quarter.Contains(800, 285));
    EXPECT_FALSE(quarter.Contains(398, 10));
    EXPECT_FALSE(quarter.Contains(850, 299)) << "the last 3.6 degrees stay open";
}

TEST(EffectHelpers, ClipAndDrawChangesOnlyTheRegionAndRemovesTheClip) {
    const Bitmap image = Numbered(6, 4);
    Bitmap screen = Filled(6, 4, 0xEE);
    kv::ClipAndDraw(screen, Region(Rect{1, 1, 3, 3}) | Region(Rect{4, 0, 9, 1}), image);
    EXPECT_EQ(screen.Canvas().ClipRegion(), nullptr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            bool inside = Rect{1, 1, 3, 3}.Contains(x, y) || Rect{4, 0, 9, 1}.Contains(x, y);
            ASSERT_EQ(screen.Pixel(x, y), inside ? image.Pixel(x, y) : 0xEEu) << x << "," << y;
        }
}
