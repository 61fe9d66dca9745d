#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Region.h"
#include "RasterFixtures.h"

using kv::Bitmap;
using kv::Rect;
using kv::Region;

namespace {

using kv::test::Numbered;

// The source column shown by each pixel of row y of a copy of Numbered(), -1 where the
// destination kept its zero.
std::vector<int> SourceColumns(const Bitmap& b, int y) {
    std::vector<int> cols;
    for (int x = 0; x < b.Width(); ++x) {
        uint32_t v = b.Pixel(x, y);
        cols.push_back(v == 0 ? -1 : static_cast<int>(v & 0xFFF));
    }
    return cols;
}

// The definition of the stretching copy, pixel by pixel: destination pixel i from the
// origin shows source pixel floor((i + 0.5) * |ws| / |wd|) from the source origin, each
// counted in the direction of its extent's sign.
void ReferenceStretch(Bitmap& dst, const Region* clip, int xd, int yd, int wd, int hd,
                      const Bitmap& src, int xs, int ys, int ws, int hs) {
    if (wd == 0 || hd == 0 || ws == 0 || hs == 0) return;
    auto pick = [](int i, int dExt, int sExt) {
        long long j = (2LL * i + 1) * std::abs(sExt) / (2LL * std::abs(dExt));
        return static_cast<int>(sExt > 0 ? j : -j);
    };
    for (int i = 0; i < std::abs(wd); ++i)
        for (int k = 0; k < std::abs(hd); ++k) {
            int x = wd > 0 ? xd + i : xd - i, y = hd > 0 ? yd + k : yd - k;
            int sx = xs + pick(i, wd, ws), sy = ys + pick(k, hd, hs);
            if (x < 0 || y < 0 || x >= dst.Width() || y >= dst.Height()) continue;
            if (sx < 0 || sy < 0 || sx >= src.Width() || sy >= src.Height()) continue;
            if (clip != nullptr && !clip->Contains(x, y)) continue;
            dst.SetPixel(x, y, src.Pixel(sx, sy));
        }
}

}  // namespace

TEST(RasterCanvas, StretchBltSamplesTheSourcePixelUnderEachCentre) {
    const Bitmap src = Numbered(10, 1);
    struct Case {
        const char* what;
        int xd, wd, xs, ws;
        std::vector<int> expected;  // source column of dest columns 0..11
    } cases[] = {
        {"identity", 0, 10, 0, 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, -1}},
        {"enlarge 2x", 0, 8, 0, 4, {0, 0, 1, 1, 2, 2, 3, 3, -1, -1, -1, -1}},
        {"shrink 10 to 4", 0, 4, 0, 10, {1, 3, 6, 8, -1, -1, -1, -1, -1, -1, -1, -1}},
        {"shrink 3 to 2", 0, 2, 4, 3, {4, 6, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {"mirrored destination", 9, -10, 0, 10, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, -1, -1}},
        {"mirrored source", 0, 10, 9, -10, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, -1, -1}},
        {"both mirrored", 9, -10, 9, -10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, -1}},
        {"mirrored and widened", 11, -12, 0, 10, {9, 8, 7, 7, 6, 5, 4, 3, 2, 2, 1, 0}},
        {"destination starts left of the bitmap", -3, 8, 0, 4, {1, 2, 2, 3, 3, -1, -1, -1, -1, -1, -1, -1}},
        {"destination ends right of the bitmap", 10, 4, 0, 4, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 1}},
        {"source partly outside its bitmap", 0, 4, 8, 4, {8, 9, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {"source wholly outside", 0, 4, 10, 4, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {"zero destination width", 0, 0, 0, 4, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {"zero source width", 0, 4, 0, 0, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        Bitmap dst(12, 1);
        dst.Canvas().StretchBlt(c.xd, 0, c.wd, 1, src, c.xs, 0, c.ws, 1);
        EXPECT_EQ(SourceColumns(dst, 0), c.expected) << c.what;
    }

    // The rectangle form: Right < Left is a negative extent.
    Bitmap viaRect(12, 1);
    viaRect.Canvas().CopyRect(Rect{11, 0, -1, 1}, src, Rect{0, 0, 10, 1});
    EXPECT_EQ(SourceColumns(viaRect, 0), (std::vector<int>{9, 8, 7, 7, 6, 5, 4, 3, 2, 2, 1, 0}));
}

TEST(RasterCanvas, CopyRectOnBothAxes) {
    const Bitmap src = Numbered(8, 6);
    Bitmap same(8, 6);
    same.Canvas().CopyRect(Rect{0, 0, 8, 6}, src, Rect{0, 0, 8, 6});
    EXPECT_EQ(same, src);

    // 3 x 2 enlarged to 6 x 4: every source pixel becomes a 2 x 2 block.
    Bitmap big(6, 4);
    big.Canvas().CopyRect(Rect{0, 0, 6, 4}, src, Rect{0, 0, 3, 2});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(big.Pixel(x, y), src.Pixel(x / 2, y / 2)) << x << "," << y;

    // Turned upside down and shifted partly off the top-left corner.
    Bitmap flipped(8, 6);
    flipped.Canvas().StretchBlt(-2, 3, 8, -4, src, 0, 0, 8, 4);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            uint32_t expected = (y <= 3 && x < 6) ? src.Pixel(x + 2, 3 - y) : 0u;
            ASSERT_EQ(flipped.Pixel(x, y), expected) << x << "," << y;
        }

    Bitmap whole(8, 6);
    whole.Canvas().Draw(-3, -2, src);
    EXPECT_EQ(whole.Pixel(0, 0), src.Pixel(3, 2));
    EXPECT_EQ(whole.Pixel(4, 3), src.Pixel(7, 5));
    EXPECT_EQ(whole.Pixel(5, 3), 0u);
    EXPECT_EQ(whole.Pixel(4, 4), 0u);
}

TEST(RasterCanvas, ClipRegionLimitsEveryOperation) {
    const Bitmap src = Numbered(8, 6);
    Bitmap dst(8, 6);
    kv::Canvas& canvas = dst.Canvas();
    Region clip = Region(Rect{1, 1, 4, 3}) | Region(Rect{5, 2, 7, 6});
    canvas.SelectClipRegion(clip);
    clip = Region(Rect{0, 0, 8, 6});  // the canvas keeps its own copy
    canvas.Draw(0, 0, src);
    canvas.FillRect(Rect{-5, 4, 20, 5}, 0xFF112233);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            bool inside = Rect{1, 1, 4, 3}.Contains(x, y) || Rect{5, 2, 7, 6}.Contains(x, y);
            uint32_t expected = !inside ? 0u : y == 4 ? 0xFF112233u : src.Pixel(x, y);
            ASSERT_EQ(dst.Pixel(x, y), expected) << x << "," << y;
        }

    canvas.SelectNoClip();
    EXPECT_EQ(canvas.ClipRegion(), nullptr);
    canvas.FillRect(Rect{6, 5, 100, 100}, 7);
    EXPECT_EQ(dst.Pixel(0, 5), 0u);
    EXPECT_EQ(dst.Pixel(7, 5), 7u);
    canvas.Draw(0, 0, src);
    EXPECT_EQ(dst, src);
}

// The optimised copy (column maps, span copies, repeated rows, clipping bands) against
// the pixel-by-pixel definition on random cases, mirrored and clipped ones included.
TEST(RasterCanvas, StretchBltMatchesTheDefinitionOnRandomCases) {
    std::mt19937 rng(2024);
    auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 2000; ++round) {
        const Bitmap src = Numbered(in(1, 9), in(1, 7));
        Bitmap dst(in(1, 13), in(1, 11)), expected;
        std::optional<Region> clip;
        if (in(0, 1) == 1) {
            Region r;
            for (int k = 0; k < 3; ++k) r |= Region(Rect{in(-2, 8), in(-2, 8), in(0, 14), in(0, 12)});
            clip = r;
            dst.Canvas().SelectClipRegion(r);
        }
        expected = dst;
        int xd = in(-12, 12), yd = in(-10, 10), wd = in(-20, 20), hd = in(-20, 20);
        int xs = in(-3, 10), ys = in(-3, 8), ws = in(-12, 12), hs = in(-12, 12);
        dst.Canvas().StretchBlt(xd, yd, wd, hd, src, xs, ys, ws, hs);
        ReferenceStretch(expected, clip ? &*clip : nullptr, xd, yd, wd, hd, src, xs, ys, ws, hs);
        ASSERT_EQ(dst, expected) << "round " << round << ": (" << xd << "," << yd << "," << wd << ","
                                 << hd << ") <- (" << xs << "," << ys << "," << ws << "," << hs << ")";
    }
}

TEST(RasterCanvas, CopyWithinOneBitmapReadsTheUnchangedSource) {
    auto row = [](auto&& copy) {
        Bitmap b = Numbered(10, 1);
        copy(b);
        return SourceColumns(b, 0);
    };
    EXPECT_EQ(row([](Bitmap& b) { b.Canvas().CopyRect(Rect{2, 0, 10, 1}, b, Rect{0, 0, 8, 1}); }),
              (std::vector<int>{0, 1, 0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(row([](Bitmap& b) { b.Canvas().CopyRect(Rect{0, 0, 8, 1}, b, Rect{2, 0, 10, 1}); }),
              (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 8, 9}));
    EXPECT_EQ(row([](Bitmap& b) { b.Canvas().CopyRect(Rect{2, 0, 10, 1}, b, Rect{0, 0, 10, 1}); }),
              (std::vector<int>{0, 1, 0, 1, 3, 4, 5, 6, 8, 9}));

    Bitmap tall = Numbered(3, 5);
    const Bitmap before = tall;
    tall.Canvas().CopyRect(Rect{0, 1, 3, 5}, tall, Rect{0, 0, 3, 4});
    for (int y = 1; y < 5; ++y)
        for (int x = 0; x < 3; ++x) ASSERT_EQ(tall.Pixel(x, y), before.Pixel(x, y - 1));
}

TEST(RasterCanvas, EachBitmapHasOneCanvasWithAReentrantLock) {
    Bitmap a(4, 4);
    kv::Canvas& canvas = a.Canvas();
    EXPECT_EQ(&a.Canvas(), &canvas);
    EXPECT_EQ(&canvas.Target(), &a);
    canvas.SelectClipRegion(Region(Rect{0, 0, 1, 1}));

    Bitmap copy = a;
    EXPECT_NE(&copy.Canvas(), &canvas);
    EXPECT_EQ(&copy.Canvas().Target(), &copy);
    EXPECT_EQ(copy.Canvas().ClipRegion(), nullptr) << "a copy starts with a fresh canvas";
    Bitmap moved = std::move(copy);
    EXPECT_EQ(&moved.Canvas().Target(), &moved);
    a = moved;
    EXPECT_EQ(&a.Canvas(), &canvas) << "assignment keeps the target's canvas";
    ASSERT_NE(canvas.ClipRegion(), nullptr);

    auto tryFromOtherThread = [&] {
        bool got = false;
        std::thread([&] {
            got = canvas.TryLock();
            if (got) canvas.Unlock();
        }).join();
        return got;
    };
    canvas.Lock();
    {
        kv::CanvasLock again(a);  // re-entrant for the holder
        canvas.FillRect(Rect{0, 0, 4, 4}, 1);
    }
    EXPECT_FALSE(tryFromOtherThread());
    canvas.Unlock();
    EXPECT_TRUE(tryFromOtherThread());
}
