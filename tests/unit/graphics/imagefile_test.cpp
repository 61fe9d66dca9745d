#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Bmp.h"
#include "graphics/ImageFile.h"
#include "graphics/Jpeg.h"
#include "graphics/Png.h"

namespace fs = std::filesystem;

namespace {

kv::Bitmap Sample(int w, int h) {
    kv::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, 0xFF000000u | (x * 255 / w) << 16 | (y * 255 / h) << 8 | 0x40);
    return b;
}

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const kv::Error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(ImageFile, SniffsAndDecodesByContent) {
    const kv::Bitmap pic = Sample(9, 7);
    const kv::Bytes jpeg = kv::EncodeJpeg(pic), png = kv::EncodePng(pic), bmp = kv::WriteBmp(pic);
    EXPECT_EQ(kv::SniffImageFormat(jpeg), kv::ImageFormat::Jpeg);
    EXPECT_EQ(kv::SniffImageFormat(png), kv::ImageFormat::Png);
    EXPECT_EQ(kv::SniffImageFormat(bmp), kv::ImageFormat::Bmp);
    for (const kv::Bytes& unknown : std::vector<kv::Bytes>{{}, {'B'}, {0xFF, 0xD8}, {'G', 'I', 'F', '8', '9', 'a'},
                                                           {137, 'P', 'N', 'G'}}) {
        EXPECT_EQ(kv::SniffImageFormat(unknown), kv::ImageFormat::Unknown);
        EXPECT_EQ(MessageOf([&] { kv::DecodeImage(unknown); }), "Unknown picture format");
    }
    EXPECT_EQ(kv::DecodeImage(png), pic);
    EXPECT_EQ(kv::DecodeImage(bmp), pic);
    EXPECT_EQ(kv::DecodeImage(jpeg).Width(), 9);
    // The format's own error comes through.
    EXPECT_EQ(MessageOf([&] { kv::DecodeImage(kv::Bytes{'B', 'M', 0, 0}); }), "Bitmap image is not valid");
}

TEST(ImageFile, SavesByExtensionAndLoadsBack) {
    kv::test::TempDir dir;
    const kv::Bitmap pic = Sample(13, 6);
    struct Case {
        const char* name;  // UTF-8
        kv::ImageFormat format;
        int tolerance;
    };
    const Case cases[] = {
        {"pic.png", kv::ImageFormat::Png, 0},
        {"PIC.BMP", kv::ImageFormat::Bmp, 0},
        {"\xE5\x9B\xBE pic.jpg", kv::ImageFormat::Jpeg, 40},  // "图 pic.jpg"
        {"pic.Jpeg", kv::ImageFormat::Jpeg, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::path path = dir.path() / kv::PathFromUtf8(c.name);
        kv::SaveImageFile(pic, path);
        EXPECT_EQ(kv::SniffImageFormat(kv::ReadFileBytes(path)), c.format);
        kv::Bitmap back = kv::LoadImageFile(path);
        ASSERT_EQ(back.Width(), 13);
        ASSERT_EQ(back.Height(), 6);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 13; ++x)
                for (int k = 0; k < 4; ++k)
                    ASSERT_NEAR(back.ScanLine(y)[4 * x + k], pic.ScanLine(y)[4 * x + k], c.tolerance);
    }

    fs::path ppm = dir.path() / "pic.ppm";
    kv::Bitmap two(2, 1);
    two.SetPixel(0, 0, 0xFF102030);
    two.SetPixel(1, 0, 0x00A0B0C0);
    kv::SaveImageFile(two, ppm);
    const std::string header = "P6\n2 1\n255\n";
    kv::Bytes expected(header.begin(), header.end());
    expected.insert(expected.end(), {0x10, 0x20, 0x30, 0xA0, 0xB0, 0xC0});
    EXPECT_EQ(kv::ReadFileBytes(ppm), expected);
}

TEST(ImageFile, ErrorsNameTheFileAndLeaveNothingBehind) {
    kv::test::TempDir dir;
    fs::path broken = dir.path() / kv::PathFromUtf8("br\xC3\xB6ken.png");  // "bröken.png"
    kv::Bytes png = kv::EncodePng(Sample(4, 4));
    png.resize(png.size() - 5);
    kv::WriteFileBytes(broken, png);
    EXPECT_EQ(MessageOf([&] { kv::LoadImageFile(broken); }), kv::PathToUtf8(broken) + ": PNG image is not valid");

    fs::path text = dir.path() / "notes.jpg";
    kv::WriteFileBytes(text, kv::Bytes{'h', 'i'});
    EXPECT_EQ(MessageOf([&] { kv::LoadImageFile(text); }), kv::PathToUtf8(text) + ": Unknown picture format");

    fs::path missing = dir.path() / "missing.bmp";
    EXPECT_EQ(MessageOf([&] { kv::LoadImageFile(missing); }).rfind(kv::PathToUtf8(missing) + ": ", 0), 0u);

    // Nothing is written for an unknown extension or an empty picture, and a failed save
    // leaves an existing file as it was.
    const size_t before = std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator());
    EXPECT_THROW(kv::SaveImageFile(Sample(4, 4), dir.path() / "pic.gif"), kv::Error);
    EXPECT_THROW(kv::SaveImageFile(Sample(4, 4), dir.path() / "noextension"), kv::Error);
    EXPECT_THROW(kv::SaveImageFile(kv::Bitmap(), broken), kv::Error);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), before);
    EXPECT_EQ(kv::ReadFileBytes(broken), png);
}

}  // namespace
