#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/Error.h"
#include "graphics/Resample.h"

namespace {

kv::Bitmap Row(const std::vector<uint8_t>& greys) {
    kv::Bitmap b(static_cast<int>(greys.size()), 1);
    for (size_t x = 0; x < greys.size(); ++x) b.SetPixel(static_cast<int>(x), 0, 0x01010101u * greys[x]);
    return b;
}

std::vector<int> Greys(const kv::Bitmap& b) {
    std::vector<int> v;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) v.push_back(b.ScanLine(y)[4 * x]);
    return v;
}

TEST(Resample, ShrinkingAveragesTheCoveredArea) {
    kv::Bitmap checker(2, 2);
    checker.SetPixel(0, 0, 0xFFFFFFFF);
    checker.SetPixel(1, 1, 0xFFFFFFFF);
    checker.SetPixel(1, 0, 0x00000000);
    checker.SetPixel(0, 1, 0x00000000);
    kv::Bitmap grey = kv::ScaleBitmap(checker, 1, 1);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(grey.ScanLine(0)[k], 127.5, 0.5);

    // Three pixels into two: each target pixel covers one and a half source pixels.
    EXPECT_EQ(Greys(kv::ScaleBitmap(Row({0, 90, 180}), 2, 1)), (std::vector<int>{30, 150}));
    // The same along the other axis.
    kv::Bitmap column(1, 3);
    for (int y = 0; y < 3; ++y) column.SetPixel(0, y, 0x01010101u * (90 * y));
    EXPECT_EQ(Greys(kv::ScaleBitmap(column, 1, 2)), (std::vector<int>{30, 150}));
}

TEST(Resample, EnlargingInterpolatesBetweenCentres) {
    EXPECT_EQ(Greys(kv::ScaleBitmap(Row({0, 200}), 4, 1)), (std::vector<int>{0, 50, 150, 200}));
    // Equal size changes nothing.
    kv::Bitmap src = Row({3, 250, 17, 99, 0});
    EXPECT_EQ(kv::ScaleBitmap(src, 5, 1), src);
}

TEST(Resample, UniformColourStaysUniform) {
    const std::pair<int, int> sizes[] = {{1, 1}, {3, 11}, {7, 5}, {64, 2}, {200, 150}, {33, 1}};
    kv::Bitmap src(100, 75);
    for (int y = 0; y < 75; ++y)
        for (int x = 0; x < 100; ++x) src.SetPixel(x, y, 0x80FF3307);
    for (auto [w, h] : sizes) {
        kv::Bitmap out = kv::ScaleBitmap(src, w, h);
        ASSERT_EQ(out.Width(), w);
        ASSERT_EQ(out.Height(), h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(out.Pixel(x, y), 0x80FF3307u) << w << "x" << h << " at " << x << "," << y;
    }
    EXPECT_THROW(kv::ScaleBitmap(src, 0, 5), kv::Error);
    EXPECT_THROW(kv::ScaleBitmap(kv::Bitmap(), 5, 5), kv::Error);
}

TEST(Resample, FitWithin) {
    struct Case {
        int w, h, boxW, boxH, fitW, fitH;
    };
    const Case cases[] = {
        {4000, 3000, 1920, 1080, 1440, 1080},  // height limits
        {3840, 2160, 1920, 1080, 1920, 1080},  // same shape
        {2000, 1000, 1000, 1000, 1000, 500},   // width limits
        {1000, 2000, 1000, 1000, 500, 1000},
        {5640, 3172, 1920, 1080, 1920, 1080},  // 1079.8 rounds to the box
        {3, 2, 2, 2, 2, 1},                    // 1.33 rounds down
        {1000, 500, 1920, 1080, 1000, 500},    // already inside: kept, never enlarged
        {1920, 1080, 1920, 1080, 1920, 1080},
        {100000, 1, 100, 100, 100, 1},         // never below one pixel
        {1, 100000, 100, 100, 1, 100},
        {2147483647, 2147483647, 2147483647, 1, 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kv::FitWithin(c.w, c.h, c.boxW, c.boxH), std::make_pair(c.fitW, c.fitH))
            << c.w << "x" << c.h << " in " << c.boxW << "x" << c.boxH;
    EXPECT_THROW(kv::FitWithin(0, 10, 10, 10), kv::Error);
    EXPECT_THROW(kv::FitWithin(10, 10, 10, -1), kv::Error);
}

}  // namespace
