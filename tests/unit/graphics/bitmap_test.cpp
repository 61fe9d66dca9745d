#include <gtest/gtest.h>

#include "common/Error.h"
#include "graphics/Bitmap.h"

TEST(Bitmap, PixelValuesMapToBgraBytesInContiguousRows) {
    kv::Bitmap b(3, 2);
    EXPECT_EQ(b.Pixel(2, 1), 0u) << "a new bitmap is zero-filled";
    b.SetPixel(1, 1, 0x80112233);  // A=80 R=11 G=22 B=33
    const uint8_t* row = b.ScanLine(1);
    EXPECT_EQ(row[4], 0x33);
    EXPECT_EQ(row[5], 0x22);
    EXPECT_EQ(row[6], 0x11);
    EXPECT_EQ(row[7], 0x80);
    EXPECT_EQ(b.ScanLine(1), b.ScanLine(0) + 12) << "rows are contiguous, top-down";
    b.ScanLine(0)[8] = 0x44;
    EXPECT_EQ(b.Pixel(2, 0), 0x00000044u);

    b.SetSize(5, 0);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 5);
    EXPECT_TRUE(kv::Bitmap().Empty());
    EXPECT_THROW(kv::Bitmap(-1, 4), kv::Error);
}

TEST(Bitmap, MovedFromBitmapIsEmpty) {
    kv::Bitmap a(3, 2);
    a.SetPixel(2, 1, 0xFF112233);
    kv::Bitmap b(std::move(a));
    EXPECT_EQ(b.Pixel(2, 1), 0xFF112233u);
    EXPECT_TRUE(a.Empty());  // NOLINT(bugprone-use-after-move): the moved-from state is what is tested
    EXPECT_EQ(a.Width(), 0);
    kv::Bitmap c(1, 1);
    c = std::move(b);
    EXPECT_EQ(c.Width(), 3);
    EXPECT_EQ(b.Height(), 0);  // NOLINT(bugprone-use-after-move)
}
