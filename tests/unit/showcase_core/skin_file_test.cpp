#include <gtest/gtest.h>

#include "TempDir.h"
#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Bmp.h"
#include "showcase/core/SkinFile.h"

namespace {

// A picture of parts x 1 pieces, each w x h, whose pixels tell their piece and place.
kv::Bitmap Strip(int parts, int w, int h) {
    kv::Bitmap b(parts * w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < parts * w; ++x) {
            uint8_t* p = b.ScanLine(y) + x * 4;
            p[0] = static_cast<uint8_t>(x / w * 40);
            p[1] = static_cast<uint8_t>(x % w);
            p[2] = static_cast<uint8_t>(y);
            p[3] = static_cast<uint8_t>(200 + x / w);
        }
    return b;
}

std::string BmpData(const kv::Bitmap& b) { return kv::EncodeBase64(kv::WriteBmp(b, 32)); }

std::string ErrorOf(const std::string& text) {
    try {
        kv::ParseSkin(text);
    } catch (const kv::Error& e) {
        return e.what();
    }
    return "(read without error)";
}

}  // namespace

TEST(SkinFile, WrittenSkinReadsBackWhole) {
    kv::SkinFile skin;
    skin.Name = "Test skin";
    skin.Colors = {{"Window", 0xE9EEF4}, {"Text", 0x000000}, {"Accent", 0xFF8000}};
    skin.Fonts = {{"Text", {"Tahoma", 8, false, false}}, {"Group", {"Segoe UI", 9, true, true}}};
    skin.Images["Button"] = {Strip(4, 10, 6), 4, 3, 2, 3, 2};
    skin.Images["Thumb"] = {Strip(1, 5, 7), 1, 0, 0, 0, 0};

    const kv::SkinFile back = kv::ParseSkin(kv::FormatSkin(skin));
    EXPECT_EQ(back.Name, "Test skin");
    EXPECT_EQ(back.Colors, skin.Colors);
    EXPECT_EQ(back.Fonts, skin.Fonts);
    ASSERT_EQ(back.Images.size(), 2u);
    const kv::SkinImage* button = back.Image("Button");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->Picture, skin.Images["Button"].Picture);  // alpha kept in 32-bit pictures
    EXPECT_EQ(button->Parts, 4);
    EXPECT_EQ(button->Left + button->Top * 10 + button->Right * 100 + button->Bottom * 1000, 3 + 20 + 300 + 2000);
    // Part 2 is the third piece, its own coordinates from 0.
    kv::Bitmap part = button->Part(2);
    ASSERT_EQ(part.Width(), 10);
    EXPECT_EQ(part.Pixel(0, 0), 0xCA000050u);
    EXPECT_EQ(part.Pixel(9, 5), 0xCA050950u);
    EXPECT_EQ(button->Part(9).Pixel(0, 0), button->Part(3).Pixel(0, 0));
    EXPECT_FALSE(back.Color("Missing"));
    EXPECT_EQ(back.Font("Missing"), nullptr);
}

TEST(SkinFile, CommentsBlanksAndUnknownNamesAreAccepted) {
    const std::string text =
        "\xEF\xBB\xBF# made by hand\r\n"
        "KVSKIN 1\r\n"
        "\n"
        "; another comment\n"
        "[Colors]\n"
        "  Window   =   #a0B1c2  \n"
        "Sparkle = #010203\n"
        "[Later section]\n"
        "Anything = at all\n"
        "[Skin]\n"
        "Name = Plain\n"
        "Author = someone\n";
    kv::SkinFile skin = kv::ParseSkin(text);
    EXPECT_EQ(skin.Name, "Plain");
    EXPECT_EQ(skin.Color("Window"), 0xA0B1C2u);
    EXPECT_EQ(skin.Color("Sparkle"), 0x010203u);
    EXPECT_TRUE(skin.Images.empty());
}

TEST(SkinFile, BrokenFilesAreRejectedNamingTheLine) {
    const std::string good = BmpData(Strip(2, 8, 8));
    const std::pair<std::string, std::string> cases[] = {
        {"", "the skin file is empty"},
        {"# only a comment\n", "the skin file is empty"},
        {"[Colors]\nWindow = #000000\n", "line 1: not a skin file"},
        {"KVSKIN x\n", "line 1: not a skin file"},
        {"KVSKIN 2\n", "line 1: skin format 2 is not supported"},
        {"KVSKIN 1\nWindow = #000000\n", "line 2: a value outside any section"},
        {"KVSKIN 1\n[Colors\n", "line 2: unclosed section name"},
        {"KVSKIN 1\n[Colors]\nWindow #000000\n", "line 3: expected NAME = VALUE"},
        {"KVSKIN 1\n[Colors]\nWindow = 000000\n", "line 3: colour 'Window' is not #RRGGBB"},
        {"KVSKIN 1\n[Colors]\nWindow = #00000G\n", "line 3: colour 'Window' is not #RRGGBB"},
        {"KVSKIN 1\n[Colors]\nWindow = #000000\nWindow = #111111\n", "line 4: 'Window' appears twice"},
        {"KVSKIN 1\n[Colors]\n[Colors]\n", "line 3: section [Colors] appears twice"},
        {"KVSKIN 1\n[Fonts]\nText = Tahoma\n", "line 3: font 'Text' is not FACE, POINTS[, bold][, italic]"},
        {"KVSKIN 1\n[Fonts]\nText = Tahoma, 99\n", "line 3: font 'Text' is not FACE, POINTS[, bold][, italic]"},
        {"KVSKIN 1\n[Fonts]\nText = Tahoma, 8, heavy\n", "line 3: font 'Text' is not FACE, POINTS[, bold][, italic]"},
        {"KVSKIN 1\n[Image Button]\nParts = 2\n", "line 2: picture 'Button' has no Data"},
        {"KVSKIN 1\n[Image Button]\nData = Qk0*\n", "line 3: Data is not base64"},
        {"KVSKIN 1\n[Image Button]\nData = QUJD\n", "line 2: picture 'Button': Bitmap image is not valid"},
        {"KVSKIN 1\n[Image Button]\nParts = 0\n", "line 3: Parts is not a number from 1 to 16"},
        {"KVSKIN 1\n[Image Button]\nParts = 3\nData = " + good + "\n", "line 2: picture 'Button' does not split into its parts"},
        {"KVSKIN 1\n[Image Button]\nMargins = 1, 2, 3\n", "line 3: Margins are four numbers: left, top, right, bottom"},
        {"KVSKIN 1\n[Image Button]\nParts = 2\nMargins = 5, 0, 4, 0\nData = " + good + "\n",
         "line 2: picture 'Button' is smaller than its margins"},
        {"KVSKIN 1\n[Image Big]\nData = " + BmpData(kv::Bitmap(300, 4)) + "\n", "line 2: picture 'Big' is too large"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(ErrorOf(text), message) << text.substr(0, 60);
    // The same picture with fitting margins is fine, and the last section closes too.
    EXPECT_EQ(ErrorOf("KVSKIN 1\n[Image Button]\nParts = 2\nMargins = 4, 0, 4, 8\nData = " + good), "(read without error)");
}

TEST(SkinFile, Base64AndFiles) {
    const std::pair<std::string, std::string> known[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, coded] : known) {
        kv::Bytes bytes(plain.begin(), plain.end());
        EXPECT_EQ(kv::EncodeBase64(bytes), coded);
        EXPECT_EQ(kv::DecodeBase64(coded), bytes);
    }
    for (const char* bad : {"Zg=", "Z===", "Zg=a", "Zm9v=Zg=", "Zm 9", "Zg==Zg=="}) EXPECT_FALSE(kv::DecodeBase64(bad)) << bad;
    kv::Bytes all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    EXPECT_EQ(kv::DecodeBase64(kv::EncodeBase64(all)), all);

    kv::test::TempDir dir;
    EXPECT_THROW(kv::LoadSkinFile(dir.path() / "swing.mskn"), kv::Error);
    kv::WriteFileBytes(dir.path() / "huge.mskn", kv::Bytes(kv::kMaxSkinFileSize + 1, '#'));
    EXPECT_THROW(kv::LoadSkinFile(dir.path() / "huge.mskn"), kv::Error);
    const std::string text = "KVSKIN 1\n[Skin]\nName = On disk\n";
    kv::WriteFileBytes(dir.path() / "swing.mskn", kv::Bytes(text.begin(), text.end()));
    EXPECT_EQ(kv::LoadSkinFile(dir.path() / "swing.mskn").Name, "On disk");
}
