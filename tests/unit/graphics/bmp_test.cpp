#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "common/Error.h"
#include "graphics/Bmp.h"

namespace {

void Put16(kv::Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(kv::Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}
int32_t Get32(const kv::Bytes& b, size_t at) {
    return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

// A bitmap file assembled field by field: file header, info header of `headerSize`
// bytes, `afterHeader` (masks or colour table), then the rows exactly as given.
kv::Bytes MakeBmp(int32_t width, int32_t height, int bits, uint32_t compression, const kv::Bytes& afterHeader,
                  const kv::Bytes& rows, uint32_t headerSize = 40, uint32_t coloursUsed = 0) {
    kv::Bytes b(14 + headerSize, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, static_cast<uint32_t>(b.size() + afterHeader.size()));
    Put32(b, 14, headerSize);
    Put32(b, 18, static_cast<uint32_t>(width));
    Put32(b, 22, static_cast<uint32_t>(height));
    Put16(b, 26, 1);
    Put16(b, 28, static_cast<uint32_t>(bits));
    Put32(b, 30, compression);
    Put32(b, 46, coloursUsed);
    b.insert(b.end(), afterHeader.begin(), afterHeader.end());
    b.insert(b.end(), rows.begin(), rows.end());
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    return b;
}

kv::Bitmap Pattern(int w, int h) {
    kv::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, 0x10000000u * (x % 16) + 0x00010203u * (x + 1) + 0x00300000u * y);
    return b;
}

std::vector<uint32_t> Pixels(const kv::Bitmap& b) {
    std::vector<uint32_t> v;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) v.push_back(b.Pixel(x, y));
    return v;
}

TEST(Bmp, WriteReadRoundTrip) {
    for (int bits : {24, 32})
        for (bool topDown : {false, true})
            for (int width : {1, 2, 3, 5}) {  // 24-bit rows of 3, 6, 9 and 15 bytes need padding
                SCOPED_TRACE(testing::Message() << bits << " bits, top-down " << topDown << ", width " << width);
                kv::Bitmap src = Pattern(width, 3);
                kv::Bytes file = kv::WriteBmp(src, bits, topDown);
                const size_t stride = (static_cast<size_t>(width) * bits / 8 + 3) / 4 * 4;
                ASSERT_EQ(file.size(), 54 + stride * 3);
                EXPECT_EQ(Get32(file, 22), topDown ? -3 : 3);
                // The first stored row is the top row only in a top-down file.
                EXPECT_EQ(file[54], src.ScanLine(topDown ? 0 : 2)[0]);

                kv::Bitmap back = kv::ReadBmp(file);
                ASSERT_EQ(back.Width(), width);
                ASSERT_EQ(back.Height(), 3);
                std::vector<uint32_t> expected = Pixels(src);
                if (bits == 24)
                    for (uint32_t& p : expected) p = (p & 0x00FFFFFF) | 0xFF000000;  // no fourth byte in the file
                EXPECT_EQ(Pixels(back), expected);
            }
    EXPECT_THROW(kv::WriteBmp(Pattern(2, 2), 16), kv::Error);
    EXPECT_THROW(kv::WriteBmp(kv::Bitmap()), kv::Error);
}

TEST(Bmp, ReadsPaletteImagesBottomUp) {
    // Colour table entries are blue, green, red, reserved.
    const kv::Bytes table = {0, 0, 255, 0, /*red*/ 0, 255, 0, 0, /*green*/ 255, 0, 0, 0 /*blue*/};
    const uint32_t red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, black = 0xFF000000;
    struct Case {
        const char* name;
        int bits;
        int width;
        kv::Bytes rows;  // bottom row first, each padded to four bytes
        std::vector<uint32_t> expected;  // top row first
    };
    const Case cases[] = {
        // Index 7 lies past the three-entry table: black.
        {"8-bit", 8, 3, {1, 1, 7, 0, /**/ 0, 1, 2, 0}, {red, green, blue, green, green, black}},
        {"4-bit", 4, 3, {0x21, 0x00, 0, 0, /**/ 0x12, 0x00, 0, 0}, {green, blue, red, blue, green, red}},
        // Ten pixels: the row spills into a second byte, leftmost pixel in the high bit.
        {"1-bit", 1, 10, {0xA0, 0x40, 0, 0, /**/ 0x0F, 0x80, 0, 0},
         {red, red, red, red, green, green, green, green, green, red,
          green, red, green, red, red, red, red, red, red, green}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kv::Bitmap b = kv::ReadBmp(MakeBmp(c.width, 2, c.bits, 0, table, c.rows, 40, 3));
        ASSERT_EQ(b.Width(), c.width);
        ASSERT_EQ(b.Height(), 2);
        EXPECT_EQ(Pixels(b), c.expected);
    }
}

TEST(Bmp, ReadsLaterHeadersAndBitfields) {
    const kv::Bytes masks = {0, 0, 0xFF, 0, /**/ 0, 0xFF, 0, 0, /**/ 0xFF, 0, 0, 0};
    const kv::Bytes rows32 = {1, 2, 3, 4, 5, 6, 7, 8};  // one row, two pixels
    // 32-bit BI_BITFIELDS with the masks after a BITMAPINFOHEADER.
    kv::Bitmap a = kv::ReadBmp(MakeBmp(2, 1, 32, 3, masks, rows32));
    EXPECT_EQ(Pixels(a), (std::vector<uint32_t>{0x04030201, 0x08070605}));

    // The same with a V5 header, masks (and an alpha mask) inside it.
    kv::Bytes v5 = MakeBmp(2, 1, 32, 3, {}, rows32, 124);
    Put32(v5, 54, 0x00FF0000);
    Put32(v5, 58, 0x0000FF00);
    Put32(v5, 62, 0x000000FF);
    Put32(v5, 66, 0xFF000000);
    EXPECT_EQ(Pixels(kv::ReadBmp(v5)), Pixels(a));

    // 24-bit top-down with a V4 header: the first stored row is the top one.
    kv::Bytes v4 = MakeBmp(1, -2, 24, 0, {}, {10, 20, 30, 0, 40, 50, 60, 0}, 108);
    EXPECT_EQ(Pixels(kv::ReadBmp(v4)), (std::vector<uint32_t>{0xFF1E140A, 0xFF3C3228}));
}

TEST(Bmp, RejectsMalformedFiles) {
    const kv::Bytes good = kv::WriteBmp(Pattern(3, 2));  // rows of 9 bytes + 3 padding
    ASSERT_NO_THROW(kv::ReadBmp(good));
    // Every truncation that cuts into the pixels (a missing final padding is tolerated).
    for (size_t n = 0; n + 3 < good.size(); ++n) {
        kv::Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_THROW(kv::ReadBmp(cut), kv::Error) << "length " << n;
    }

    struct Case {
        const char* name;
        size_t offset;
        uint32_t value;
        int width = 32;  // 32 or 16-bit field
    };
    const Case cases[] = {
        {"signature", 0, 'X', 16},
        {"pixels past the end", 10, 70},
        {"pixel offset far away", 10, 0xFFFFFFF0},
        {"pixel offset inside the header", 10, 20},
        {"core header", 14, 12},
        {"unknown header size", 14, 64},
        {"zero width", 18, 0},
        {"negative width", 18, static_cast<uint32_t>(-3)},
        {"width over the limit", 18, 32769},
        {"huge width", 18, 0x7FFFFFFF},
        {"zero height", 22, 0},
        {"height over the limit", 22, 40000},
        {"top-down height over the limit", 22, static_cast<uint32_t>(-32769)},
        {"most negative height", 22, static_cast<uint32_t>(INT_MIN)},
        {"large picture, small file", 18, 32768},
        {"two planes", 26, 2, 16},
        {"16 bits", 28, 16, 16},
        {"zero bits", 28, 0, 16},
        {"RLE", 30, 1},
        {"JPEG inside", 30, 4},
        {"bitfields on 24 bits", 30, 3},
    };
    for (const Case& c : cases) {
        kv::Bytes bad = good;
        if (c.width == 16)
            Put16(bad, c.offset, c.value);
        else
            Put32(bad, c.offset, c.value);
        try {
            kv::ReadBmp(bad);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const kv::Error& e) {
            EXPECT_EQ(std::string(e.what()), "Bitmap image is not valid") << c.name;
        }
    }

    // Colour tables and masks that are not what we read.
    const kv::Bytes table(8, 0);
    EXPECT_THROW(kv::ReadBmp(MakeBmp(2, 1, 8, 0, table, {0, 1, 0, 0}, 40, 300)), kv::Error);  // 300 colours
    EXPECT_THROW(kv::ReadBmp(MakeBmp(2, 1, 8, 1, table, {0, 1, 0, 0}, 40, 2)), kv::Error);    // RLE8
    const kv::Bytes masks565 = {0, 0xF8, 0, 0, /**/ 0xE0, 0x07, 0, 0, /**/ 0x1F, 0, 0, 0};
    EXPECT_THROW(kv::ReadBmp(MakeBmp(2, 1, 32, 3, masks565, kv::Bytes(8, 0))), kv::Error);
    EXPECT_THROW(kv::ReadBmp(MakeBmp(2, 1, 32, 3, {}, {})), kv::Error);  // masks missing
}

}  // namespace
