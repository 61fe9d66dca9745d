// Fade (118) and the pivots (119 to 122): the styles that work on the pixels directly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "graphics/Bitmap.h"
#include "transitions/EffectHelpers.h"
#include "transitions/TransitionEffects.h"

namespace {

constexpr uint32_t kOldColour = 0x00EEDDCCu;

// The new picture's pixel (x, y): 0x01YYYXXX, for pictures up to 4096 wide and high.
uint32_t NumberedPixel(int x, int y) {
    return 0x01000000u | static_cast<uint32_t>(y) << 12 | static_cast<uint32_t>(x);
}

kv::Bitmap Numbered(int w, int h) {
    kv::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, NumberedPixel(x, y));
    return b;
}

kv::Bitmap Filled(int w, int h, uint32_t v) {
    kv::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, v);
    return b;
}

kv::Bitmap Frame(int style, const kv::Bitmap& image, int progress) {
    kv::Bitmap screen = Filled(image.Width(), image.Height(), kOldColour);
    kv::RunStyle(style, screen, image, 4, static_cast<uint8_t>(progress));
    return screen;
}

TEST(Fade, VectorisedAndPlainBlendsGiveTheSameBytes) {
    // All 65536 (dest, source) byte pairs, three to a pixel in the colour bytes; the
    // fourth byte of each pixel carries a value of its own that must survive.
    const size_t pixels = (65536 + 2) / 3;
    std::vector<uint8_t> dest(pixels * 4), source(pixels * 4);
    for (size_t i = 0; i < pixels * 4; ++i) {
        const size_t pair = (i / 4) * 3 + i % 4;
        dest[i] = static_cast<uint8_t>(i % 4 == 3 ? i * 7 : pair & 255);
        source[i] = static_cast<uint8_t>(i % 4 == 3 ? i * 13 : (pair >> 8) & 255);
    }
    for (uint32_t percent = 0; percent <= 100; ++percent) {
        std::vector<uint8_t> fast = dest, plain = dest;
        kv::BlendPixels(fast.data(), source.data(), pixels, percent);
        kv::BlendPixelsPlain(plain.data(), source.data(), pixels, percent);
        ASSERT_EQ(fast, plain) << percent << "%";
        for (size_t i = 0; i < pixels * 4; ++i) {
            const uint32_t expected = i % 4 == 3 ? dest[i] : (dest[i] * (100 - percent) + source[i] * percent) / 100;
            ASSERT_EQ(plain[i], expected) << "byte " << i << " at " << percent << "%";
        }
    }
    // Runs of every length up to 11 pixels at every byte offset: the vector loop and its
    // tail meet at every place.
    for (size_t offset = 0; offset < 4; ++offset)
        for (size_t n = 0; n <= 11; ++n) {
            std::vector<uint8_t> fast = dest, plain = dest;
            kv::BlendPixels(fast.data() + offset, source.data() + 5, n, 37);
            kv::BlendPixelsPlain(plain.data() + offset, source.data() + 5, n, 37);
            ASSERT_EQ(fast, plain) << n << " pixels at offset " << offset;
        }
    if (!kv::kBlendPixelsVectorised) GTEST_SKIP() << "this build has the plain blend only";
}

TEST(Fade, EveryColourByteMovesTowardTheNewPictureAndTheFourthStays) {
    struct Case {
        uint8_t old, now;
        int progress;
        uint8_t expected;
    } cases[] = {
        {255, 0, 1, 252},  // 25245 div 100
        {0, 255, 99, 252},
        {0, 200, 50, 100},
        {0, 255, 1, 2},    // 2.55 drops its fraction
        {77, 77, 63, 77},
    };
    for (const Case& c : cases) {
        // 7 x 3: the rows hold a vector's worth of pixels and a tail.
        kv::Bitmap screen = Filled(7, 3, 0x5A000000u | c.old * 0x010101u);
        const kv::Bitmap image = Filled(7, 3, 0xC3000000u | c.now * 0x010101u);
        kv::RunStyle(118, screen, image, 4, static_cast<uint8_t>(c.progress));
        EXPECT_EQ(screen, Filled(7, 3, 0x5A000000u | c.expected * 0x010101u))
            << int(c.old) << " under " << int(c.now) << " at " << c.progress << "%";
    }
    // Each byte on its own: blue, green and red blend separately.
    kv::Bitmap screen = Filled(5, 1, 0x11FF8000u);
    kv::RunStyle(118, screen, Filled(5, 1, 0x2200FF64u), 4, 25);
    EXPECT_EQ(screen.Pixel(4, 0), 0x11BF9F19u);  // 191.25, 159.75, 25
}

struct Pivot {
    int style;
    bool pivotRight, pivotTop;  // the corner on screen
    int sign;                   // +1: Angle = (100 - P) pi / 200, -1: (P - 100) pi / 200
};
constexpr Pivot kPivots[] = {
    {119, false, false, +1},
    {120, false, true, -1},
    {121, true, false, -1},
    {122, true, true, +1},
};

TEST(Pivot, EachPixelShowsItsPlaceTurnedBackAboutTheCornerOrTheOldPicture) {
    // Independently of the fixed-point loop: destination pixel (x, r) stands for the point
    // (x + 1, H - r) in rows counted upward; turned back by Angle about the pivot it lands
    // on the real point (fx, fy), whose floor is the source pixel (fx, H - 1 - fy from the
    // top). Where (fx, fy) lies clearly inside the picture the pixel must show that source
    // pixel; clearly outside, the old picture. The 16.16 rounding moves points by less
    // than 0.01 pixel on this size, so within 0.02 of a pixel boundary either neighbour
    // will do.
    const int w = 160, h = 120;
    const kv::Bitmap image = Numbered(w, h);
    constexpr long double kSlack = 0.02L;
    auto sourceMatches = [&](int got, long double f) {
        const long double n = std::round(f);
        if (std::fabs(f - n) < kSlack) return got == n || got == n - 1;
        return got == std::floor(f);
    };
    for (const Pivot& p : kPivots) {
        const long double cx = p.pivotRight ? w : -1, cy = p.pivotTop ? h : -1;
        for (int progress : {1, 13, 50, 74, 99}) {
            const long double a = p.sign * (100 - progress) * kv::kPi / 200;
            const kv::Bitmap screen = Frame(p.style, image, progress);
            int shown = 0;
            for (int r = 0; r < h; ++r)
                for (int x = 0; x < w; ++x) {
                    const long double u = x + 1 - cx, v = h - r - cy;
                    const long double fx = cx + u * std::cos(a) + v * std::sin(a);
                    const long double fy = cy - u * std::sin(a) + v * std::cos(a);
                    const bool clearlyInside = fx >= kSlack && fx < w - kSlack && fy >= kSlack && fy < h - kSlack;
                    const bool clearlyOutside = fx < -kSlack || fx >= w + kSlack || fy < -kSlack || fy >= h + kSlack;
                    const uint32_t got = screen.Pixel(x, r);
                    if (got == kOldColour) {
                        ASSERT_FALSE(clearlyInside) << "style " << p.style << " at " << progress << "%: pixel " << x << "," << r << " kept the old picture";
                        continue;
                    }
                    ++shown;
                    ASSERT_FALSE(clearlyOutside) << "style " << p.style << " at " << progress << "%: pixel " << x << "," << r << " from outside the new picture";
                    const int sx = static_cast<int>(got & 0xFFF), sy = h - 1 - static_cast<int>(got >> 12 & 0xFFF);
                    ASSERT_TRUE(sourceMatches(sx, fx) && sourceMatches(sy, fy))
                        << "style " << p.style << " at " << progress << "%: pixel " << x << "," << r << " shows " << sx << "," << sy
                        << " (rows upward) for " << static_cast<double>(fx) << "," << static_cast<double>(fy);
                }
            // The turned picture covers more and more of the frame.
            if (progress == 1) {
                EXPECT_LT(shown, w * h / 50) << p.style;
            } else if (progress == 99) {
                EXPECT_GT(shown, w * h * 9 / 10) << p.style;
            }
        }
    }
}

TEST(Pivot, RotateBitmapRunsMatchThePixelByPixelRotation) {
    // RotateBitmap copies one clipped run per row; each pixel must come out as the
    // per-pixel definition with its 32-bit wrap-around gives it, for any pivot (inside,
    // outside or far from the picture) and any angle, runs of every length included.
    auto reference = [](kv::Bitmap& dest, const kv::Bitmap& source, int32_t cx, int32_t cy, long double angle) {
        const uint32_t c = static_cast<uint32_t>(static_cast<int32_t>(kv::Trunc(std::cos(-angle) * 65536.0L)));
        const uint32_t s = static_cast<uint32_t>(static_cast<int32_t>(kv::Trunc(std::sin(-angle) * 65536.0L)));
        const int w = source.Width(), h = source.Height();
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x) {
                const uint32_t u = static_cast<uint32_t>(x) + 1u - static_cast<uint32_t>(cx);
                const uint32_t v = static_cast<uint32_t>(h) - static_cast<uint32_t>(r) - static_cast<uint32_t>(cy);
                const int64_t sx = cx + static_cast<int16_t>((u * c - v * s) >> 16);
                const int64_t sy = cy + static_cast<int16_t>((u * s + v * c) >> 16);
                if (sx >= 0 && sx < w && sy >= 0 && sy < h)
                    dest.SetPixel(x, r, source.Pixel(static_cast<int>(sx), h - 1 - static_cast<int>(sy)));
            }
    };
    const std::pair<int, int> sizes[] = {{1, 1}, {7, 5}, {64, 48}, {33, 70}};
    const long double angles[] = {0, 0.3L, -0.3L, kv::kPi / 4, kv::kPi / 2, -kv::kPi / 2, kv::kPi, 2.5L, -2, 1e-4L};
    for (auto [w, h] : sizes) {
        const kv::Bitmap image = Numbered(w, h);
        const std::pair<int, int> pivots[] = {{-1, -1}, {w, h}, {w / 2, h / 3}, {-50, 2 * h}, {1000, -1000}};
        for (auto [cx, cy] : pivots)
            for (long double a : angles) {
                kv::Bitmap expected = Filled(w, h, kOldColour), got = expected;
                reference(expected, image, cx, cy, a);
                kv::RotateBitmap(got, image, cx, cy, a);
                ASSERT_EQ(got, expected) << w << "x" << h << " about " << cx << "," << cy << " by " << static_cast<double>(a);
            }
    }
}

TEST(Pivot, FromTopLeftOnEightHundredBySixHundred) {
    // At Progress 1 a wedge along the left edge, 7 pixels wide in the top row and nothing
    // in the bottom row; at 50 the picture stands an eighth of a turn anticlockwise about
    // the bottom-left corner and reaches x = 529 in the top row.
    const kv::Bitmap image = Numbered(800, 600);
    struct Case {
        int progress, topRowEnd;
    } cases[] = {{1, 7}, {50, 530}};
    for (const Case& c : cases) {
        const kv::Bitmap screen = Frame(119, image, c.progress);
        for (int x = 0; x < 800; ++x) {
            ASSERT_EQ(screen.Pixel(x, 0) != kOldColour, x < c.topRowEnd) << c.progress << "%: top row x " << x;
            ASSERT_EQ(screen.Pixel(x, 599), kOldColour) << c.progress << "%: bottom row x " << x;
        }
        if (c.progress == 50)  // above the 45-degree line from the corner: new; below: old
            for (int k = 10; k < 500; k += 10) {
                EXPECT_NE(screen.Pixel(k, 599 - k - 3), kOldColour) << k;
                EXPECT_EQ(screen.Pixel(k, 599 - k + 3), kOldColour) << k;
            }
    }
}

}  // namespace
