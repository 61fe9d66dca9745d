// Speckles (123 to 126), random squares (127) and rectangular shred (142).
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Random.h"
#include "transitions/EffectHelpers.h"
#include "transitions/TransitionEffects.h"

namespace {

constexpr uint32_t kOldColour = 0xFF00FF00u;

uint32_t NumberedPixel(int x, int y) {
    return 0x01000000u | static_cast<uint32_t>(y) << 12 | static_cast<uint32_t>(x);
}

// Which pixels of one frame show the new picture. A new pixel must show the new
// picture's own pixel at that place (clip-and-draw never moves the picture).
struct Shown {
    int w = 0, h = 0;
    std::vector<char> isNew;
    bool operator()(int x, int y) const { return isNew[static_cast<size_t>(y) * w + x] != 0; }
    int Count() const {
        int n = 0;
        for (char c : isNew) n += c;
        return n;
    }
    friend bool operator==(const Shown&, const Shown&) = default;
};

Shown Render(int style, int w, int h, int progress, int step = 4) {
    kv::Bitmap image(w, h), screen(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            image.SetPixel(x, y, NumberedPixel(x, y));
            screen.SetPixel(x, y, kOldColour);
        }
    kv::RunStyle(style, screen, image, static_cast<uint16_t>(step), static_cast<uint8_t>(progress));
    Shown shown{w, h, std::vector<char>(static_cast<size_t>(w) * h)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = screen.Pixel(x, y);
            EXPECT_TRUE(p == kOldColour || p == NumberedPixel(x, y))
                << "style " << style << " moved the new picture at " << x << "," << y;
            shown.isNew[static_cast<size_t>(y) * w + x] = p != kOldColour;
        }
    return shown;
}

// The speckle styles seen along their direction of travel: how far pixel (x, y) lies
// ahead of the front (0 or less inside the front), for a picture of w x h at the given
// progress extents.
struct SpeckleStyle {
    int style;
    std::function<int(int x, int y, int w, int h, int pw, int ph)> ahead;
    bool vertical;
};
const SpeckleStyle kSpeckleStyles[] = {
    {123, [](int x, int, int w, int, int pw, int) { return (w - pw) - x; }, false},
    {124, [](int x, int, int, int, int pw, int) { return x - pw + 1; }, false},
    {125, [](int, int y, int, int h, int, int ph) { return (h - ph) - y; }, true},
    {126, [](int, int y, int, int, int, int ph) { return y - ph + 1; }, true},
};

TEST(Speckles, FrontAdvancesFromItsEdgeWithSpecklesAheadOfIt) {
    // 1000 x 1000: a speckle zone 100 deep, speckles f = 5 on a side, n = 20 slots. The
    // two slots next to the front always show; nothing shows beyond the zone; inside it
    // each slot shows whole or not at all, a fresh scatter in every frame.
    const int size = 1000, f = 5, n = 20;
    for (const SpeckleStyle& s : kSpeckleStyles) {
        for (int progress : {30, 50}) {
            const kv::ProgressExtents g = kv::ProgressGeometry(kv::Rect{0, 0, size, size}, 4, static_cast<uint8_t>(progress));
            const Shown frame = Render(s.style, size, size, progress);
            int speckled = 0, zone = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const int d = s.ahead(x, y, size, size, g.PW, g.PH);
                    if (d <= 2 * f) {
                        ASSERT_TRUE(frame(x, y)) << s.style << " at " << progress << "%: " << x << "," << y << " is " << d << " ahead";
                    } else if (d > n * f) {
                        ASSERT_FALSE(frame(x, y)) << s.style << " at " << progress << "%: " << x << "," << y << " is " << d << " ahead";
                    } else {
                        ++zone;
                        speckled += frame(x, y);
                        // A slot spans f pixels along the direction of travel, counted
                        // from the front: its pixels share one state.
                        if ((d - 1) % f != 0) {
                            const bool first = s.vertical ? frame(x, y + (s.style == 125 ? 1 : -1) * ((d - 1) % f))
                                                          : frame(x + (s.style == 123 ? 1 : -1) * ((d - 1) % f), y);
                            ASSERT_EQ(frame(x, y), first) << s.style << " at " << progress << "%: " << x << "," << y;
                        }
                    }
                }
            EXPECT_GT(speckled, zone / 20) << s.style;
            EXPECT_LT(speckled, zone / 2) << s.style;
        }
        // The generator runs on: the same progress scatters the speckles anew.
        EXPECT_NE(Render(s.style, 300, 300, 40), Render(s.style, 300, 300, 40)) << s.style;
    }
}

TEST(Speckles, NarrowPictureShowsTheFrontAlone) {
    // Less than 10 pixels across the direction of travel: no speckle zone.
    for (const SpeckleStyle& s : kSpeckleStyles) {
        const int w = s.vertical ? 40 : 9, h = s.vertical ? 9 : 40;
        for (int progress = 1; progress <= 99; ++progress) {
            const kv::ProgressExtents g = kv::ProgressGeometry(kv::Rect{0, 0, w, h}, 4, static_cast<uint8_t>(progress));
            const Shown frame = Render(s.style, w, h, progress);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(frame(x, y), s.ahead(x, y, w, h, g.PW, g.PH) <= 0)
                        << s.style << " at " << progress << "%: " << x << "," << y;
        }
    }
}

TEST(RandomSquares, SquaresStayOnceShownAndReturnAtTheSameProgress) {
    // 200 x 150 at step 4: S = 9, N = 4, squares 8 on a side about every fourth pixel.
    // 40 x 30 at step 1: S = 0, drawn with N = 1.
    struct Case {
        int w, h, step, pitch;
    } cases[] = {{200, 150, 4, 4}, {40, 30, 1, 1}};
    for (const Case& c : cases) {
        Shown before = Render(127, c.w, c.h, 1, c.step);
        EXPECT_LT(before.Count(), c.w * c.h / 10) << c.w;
        for (int progress = 2; progress <= 99; ++progress) {
            kv::Random(1000);  // whatever ran in between does not matter
            const Shown now = Render(127, c.w, c.h, progress, c.step);
            for (int y = 0; y < c.h; ++y)
                for (int x = 0; x < c.w; ++x) {
                    ASSERT_TRUE(!before(x, y) || now(x, y)) << c.w << "x" << c.h << ": " << x << "," << y << " vanished at " << progress << "%";
                    // Squares about lattice points N apart, 2N on a side: each N x N cell
                    // of the lattice is shown whole or not at all.
                    ASSERT_EQ(now(x, y), now(x / c.pitch * c.pitch, y / c.pitch * c.pitch)) << x << "," << y;
                }
            if (progress % 20 == 0) {
                EXPECT_EQ(Render(127, c.w, c.h, progress, c.step), now) << progress;
            }
            before = now;
        }
        EXPECT_GT(before.Count(), c.w * c.h * 9 / 10) << c.w;
    }
}

TEST(RandomSquares, LeavesTheGeneratorWhereItsFrameLeftIt) {
    // 800 x 600 at step 4: seeded with 480000, then one Random(100) for each of the
    // 45 x 34 lattice points (N = 18). What ran before the frame makes no difference.
    kv::RandSeed(480000);
    for (int i = 0; i < 45 * 34; ++i) kv::Random(100);
    const uint64_t expected = kv::RandState();
    for (uint32_t earlier : {1u, 99u}) {
        kv::RandSeed(earlier);
        Render(127, 800, 600, 37);
        EXPECT_EQ(kv::RandState(), expected) << "after seed " << earlier;
    }
}

TEST(RectangularShred, RectanglesGrowAboutTheLatticePoints) {
    // 800 x 600 at step 4: S = 36, N = 18, lattice 44 across and 33 down; rectangles of
    // half extent PW div 36 by PH div 36. At 99 % they are 44 x 32 and leave the rows
    // y = 16, 49, 82, ... with the old picture.
    for (int progress : {1, 10, 50, 67, 99}) {
        const kv::ProgressExtents g = kv::ProgressGeometry(kv::Rect{0, 0, 800, 600}, 4, static_cast<uint8_t>(progress));
        const int hw = g.PW / 36, hh = g.PH / 36;
        const Shown frame = Render(142, 800, 600, progress);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                ASSERT_EQ(frame(x, y), (x + hw) % 44 < 2 * hw && (y + hh) % 33 < 2 * hh)
                    << progress << "%: " << x << "," << y;
    }
    const Shown last = Render(142, 800, 600, 99);
    int oldRows = 0;
    for (int y = 0; y < 600; ++y) oldRows += !last(0, y);
    EXPECT_EQ(oldRows, 18);
    EXPECT_FALSE(last(400, 49));
}

TEST(RectangularShred, TinyPictureGrowsFromTheFourCorners) {
    // 40 x 30 at step 1 has S = 0; it is drawn as S = 1: one lattice cell, rectangles
    // of half extent PW by PH about the four corners, meeting by the middle.
    for (int progress : {5, 25, 40, 60, 99}) {
        const kv::ProgressExtents g = kv::ProgressGeometry(kv::Rect{0, 0, 40, 30}, 1, static_cast<uint8_t>(progress));
        const Shown frame = Render(142, 40, 30, progress, 1);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(frame(x, y), (x < g.PW || x >= 40 - g.PW) && (y < g.PH || y >= 30 - g.PH))
                    << progress << "%: " << x << "," << y;
    }
}

}  // namespace
