#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "common/Error.h"
#include "common/Files.h"
#include "frames/frameManagerUnit.h"
#include "graphics/Bmp.h"
#include "graphics/ImageFile.h"

namespace fs = std::filesystem;
using kv::Bitmap;
using kv::FrameLayout;
using kv::TFrameManager;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

// Pixel (x, y) carries x in green and y in blue, over a red that keeps it from black.
uint32_t Coded(int x, int y) { return 0xFF800000u | static_cast<uint32_t>(x) << 8 | static_cast<uint32_t>(y); }

Bitmap CodedTile(int side) {
    Bitmap tile(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) tile.SetPixel(x, y, Coded(x, y));
    return tile;
}

// Whether the block of img at (x, y) holds exactly the pixels of piece.
::testing::AssertionResult BlockIs(const Bitmap& img, int x0, int y0, const Bitmap& piece, const char* name) {
    for (int y = 0; y < piece.Height(); ++y)
        for (int x = 0; x < piece.Width(); ++x)
            if (img.Pixel(x0 + x, y0 + y) != piece.Pixel(x, y))
                return ::testing::AssertionFailure()
                       << name << " at (" << x0 << ", " << y0 << "): pixel (" << x << ", " << y << ") differs";
    return ::testing::AssertionSuccess();
}

using PieceMethod = Bitmap (TFrameManager::*)() const;
// Where pixel (x, y) of a piece comes from in a tile of side s.
using Origin = std::function<std::pair<int, int>(int x, int y, int s)>;

struct PieceRule {
    const char* Name;
    PieceMethod Method;
    Origin From;
};

const std::vector<PieceRule>& Rules() {
    static const Origin top = [](int x, int y, int) { return std::pair{x, y}; };
    static const Origin bottom = [](int x, int y, int s) { return std::pair{x, s - 1 - y}; };
    static const Origin left = [](int x, int y, int) { return std::pair{y, x}; };
    static const Origin right = [](int x, int y, int s) { return std::pair{y, s - 1 - x}; };
    static const std::vector<PieceRule> rules = {
        {"TopEdge", &TFrameManager::TopEdge, top},
        {"BottomEdge", &TFrameManager::BottomEdge, bottom},
        {"LeftEdge", &TFrameManager::LeftEdge, left},
        {"RightEdge", &TFrameManager::RightEdge, right},
        {"TopLeftCorner", &TFrameManager::TopLeftCorner,
         [](int x, int y, int s) { return x >= y ? top(x, y, s) : left(x, y, s); }},
        {"TopRightCorner", &TFrameManager::TopRightCorner,
         [](int x, int y, int s) { return x + y <= s ? top(x, y, s) : right(x, y, s); }},
        {"BottomRightCorner", &TFrameManager::BottomRightCorner,
         [](int x, int y, int s) { return x <= y ? bottom(x, y, s) : right(x, y, s); }},
        {"BottomLeftCorner", &TFrameManager::BottomLeftCorner,
         [](int x, int y, int s) { return x + y >= s - 1 ? bottom(x, y, s) : left(x, y, s); }},
    };
    return rules;
}

TEST(FramePieces, EveryPixelComesFromTheTileWhereTheTableSays) {
    for (int side : {1, 2, 3, 4, 7, 38}) {
        const TFrameManager painter(CodedTile(side));
        for (const auto& rule : Rules()) {
            const Bitmap piece = (painter.*rule.Method)();
            ASSERT_EQ(piece.Width(), side) << rule.Name;
            ASSERT_EQ(piece.Height(), side) << rule.Name;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    auto [tx, ty] = rule.From(x, y, side);
                    ASSERT_EQ(piece.Pixel(x, y), Coded(tx, ty))
                        << rule.Name << " side " << side << " pixel (" << x << ", " << y << ")";
                }
        }
    }
}

// The mitre of each corner on a 4 x 4 tile, drawn out: H where the pixel comes from the
// horizontal piece (top or bottom edge), V where it comes from the vertical one.
TEST(FramePieces, CornerMitresOnAFourPixelTile) {
    const TFrameManager painter(CodedTile(4));
    struct Case {
        PieceMethod Method;
        PieceMethod Horizontal, Vertical;
        const char* Rows[4];
    };
    const Case cases[] = {
        {&TFrameManager::TopLeftCorner, &TFrameManager::TopEdge, &TFrameManager::LeftEdge,
         {"HHHH", "VHHH", "VVHH", "VVVH"}},
        {&TFrameManager::TopRightCorner, &TFrameManager::TopEdge, &TFrameManager::RightEdge,
         {"HHHH", "HHHH", "HHHV", "HHVV"}},
        {&TFrameManager::BottomRightCorner, &TFrameManager::BottomEdge, &TFrameManager::RightEdge,
         {"HVVV", "HHVV", "HHHV", "HHHH"}},
        {&TFrameManager::BottomLeftCorner, &TFrameManager::BottomEdge, &TFrameManager::LeftEdge,
         {"VVVH", "VVHH", "VHHH", "HHHH"}},
    };
    for (const auto& c : cases) {
        const Bitmap corner = (painter.*c.Method)();
        const Bitmap h = (painter.*c.Horizontal)();
        const Bitmap v = (painter.*c.Vertical)();
        for (int y = 0; y < 4; ++y) {
            std::string row;
            for (int x = 0; x < 4; ++x) {
                const uint32_t p = corner.Pixel(x, y);
                // On the diagonal both pieces may agree; the horizontal one is named first.
                row += p == h.Pixel(x, y) ? 'H' : p == v.Pixel(x, y) ? 'V' : '?';
            }
            EXPECT_EQ(row, c.Rows[y]) << "row " << y;
        }
    }
}

TEST(FrameManager, MissingFileGivesAnEmptyTileThatIsNeverPainted) {
    kv::test::TempDir dir;
    const TFrameManager painter(dir.path() / "Frame.jpg");
    EXPECT_EQ(painter.FileName(), dir.path() / "Frame.jpg");
    EXPECT_TRUE(painter.Tile().Empty());
    for (const auto& rule : Rules()) EXPECT_TRUE((painter.*rule.Method)().Empty()) << rule.Name;

    Bitmap target(3, 2);
    target.SetPixel(1, 1, 0xFF123456u);
    const Bitmap before = target;
    EXPECT_THROW(painter.DrawFrame(1280, 1024, 1024, 768, target), kv::Error);
    EXPECT_EQ(target, before);
}

TEST(FrameManager, LoadsABitmapWhateverItsNameAndRefusesOtherContent) {
    kv::test::TempDir dir;
    const fs::path frame = dir.path() / "Frame.jpg";
    const Bitmap tile = CodedTile(6);
    kv::WriteFileBytes(frame, kv::WriteBmp(tile, 24));
    EXPECT_EQ(TFrameManager(frame).Tile(), tile);

    // A real JPEG under that name is not a bitmap: the bitmap reader's error.
    kv::SaveImageFile(tile, dir.path() / "real.jpg");
    fs::rename(dir.path() / "real.jpg", frame);
    EXPECT_THROW(TFrameManager{frame}, kv::Error);
}

TEST(FrameManager, RefusesATileThatIsNotSquare) {
    kv::test::TempDir dir;
    const fs::path frame = dir.path() / "Frame.jpg";
    kv::WriteFileBytes(frame, kv::WriteBmp(Bitmap(40, 30), 24));
    try {
        TFrameManager painter(frame);
        FAIL() << "a 40x30 tile was accepted";
    } catch (const kv::Error& e) {
        EXPECT_NE(std::string(e.what()).find("square"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("40x30"), std::string::npos) << e.what();
    }
    EXPECT_THROW(TFrameManager(Bitmap(1, 2)), kv::Error);
}

struct LayoutCase {
    const char* Name;
    int SW, SH, DW, DH, T;
    int X0, Y0, NC, NR;
    int Left, Top, Right, Bottom;
    int XR, YB;
};

TEST(FrameLayout, PlacementAndMargins) {
    const LayoutCase cases[] = {
        // 1280 - 1024 and 1024 - 768 even; 1024 mod 38 = 36, 768 mod 38 = 8.
        {"example", 1280, 1024, 1024, 768, 38, 146, 132, 26, 18, 184, 170, 184, 170, 1096, 854},
        // SW - DW odd: the right column stands one pixel right of the corners (1096).
        {"odd screen width", 1281, 1024, 1024, 768, 38, 146, 132, 26, 18, 184, 170, 184, 170, 1097, 854},
        // SH - DH odd: the side columns end at 170 + 18 * 38 = 854, the bottom row is at 855.
        {"odd screen height", 1280, 1025, 1024, 768, 38, 146, 132, 26, 18, 184, 170, 184, 170, 1096, 855},
        // 767 mod 38 = 7: three pixels above the top row, four below the bottom row.
        {"odd height remainder", 1280, 1024, 1024, 767, 38, 146, 131, 26, 18, 184, 169, 184, 170, 1096, 854},
        // 1023 mod 38 = 35: 17 before, 18 after.
        {"odd width remainder", 1280, 1024, 1023, 768, 38, 145, 132, 26, 18, 183, 170, 184, 170, 1096, 854},
        {"screen of the design size", 760, 760, 760, 760, 38, 0, 0, 20, 18, 38, 38, 38, 38, 722, 722},
        // One tile column, three rows.
        {"one column", 40, 40, 10, 30, 8, 16, 8, 1, 1, 24, 16, 24, 16, 16, 24},
        // Two by two tiles: no room inside.
        {"two by two", 20, 20, 16, 16, 8, 2, 2, 2, 0, 10, 10, 10, 10, 10, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const FrameLayout f = kv::ComputeFrameLayout(c.SW, c.SH, c.DW, c.DH, c.T, c.T);
        EXPECT_EQ(f.X0, c.X0);
        EXPECT_EQ(f.Y0, c.Y0);
        EXPECT_EQ(f.NC, c.NC);
        EXPECT_EQ(f.NR, c.NR);
        EXPECT_EQ(f.Left, c.Left);
        EXPECT_EQ(f.Top, c.Top);
        EXPECT_EQ(f.Right, c.Right);
        EXPECT_EQ(f.Bottom, c.Bottom);
        EXPECT_EQ(f.XR, c.XR);
        EXPECT_EQ(f.YB, c.YB);
        const kv::Rect area = f.ShowArea();
        EXPECT_EQ(area.Left, c.Left);
        EXPECT_EQ(area.Top, c.Top);
        EXPECT_EQ(area.Width(), std::max(0, c.SW - c.Left - c.Right));
        EXPECT_EQ(area.Height(), std::max(0, c.SH - c.Top - c.Bottom));
    }
    const kv::Rect area = kv::ComputeFrameLayout(1280, 1024, 1024, 768, 38, 38).ShowArea();
    EXPECT_EQ(area, (kv::Rect{184, 170, 184 + 912, 170 + 684}));
}

TEST(FrameLayout, RefusesWhatCannotBeLaidOut) {
    struct Case {
        const char* Name;
        int SW, SH, DW, DH, TW, TH;
    };
    const Case cases[] = {
        {"empty tile", 1280, 1024, 1024, 768, 0, 0},
        {"tile not square", 1280, 1024, 1024, 768, 38, 37},
        {"negative tile", 1280, 1024, 1024, 768, -38, -38},
        {"design wider than the screen", 1024, 768, 1280, 768, 38, 38},
        {"design taller than the screen", 1280, 700, 1024, 768, 38, 38},
        {"no design", 1280, 1024, 0, 768, 38, 38},
        {"margins beyond 32 bits", INT_MAX, INT_MAX, 1, 1, INT_MAX, INT_MAX},
    };
    for (const auto& c : cases)
        EXPECT_THROW(kv::ComputeFrameLayout(c.SW, c.SH, c.DW, c.DH, c.TW, c.TH), kv::Error) << c.Name;
}

// The example screen, checked on the painted pixels: every tile where it belongs, the
// frame a closed ring from (146, 132) to (1134, 892) around the show area, black elsewhere.
TEST(DrawFrame, PaintsTheExampleFrame) {
    const TFrameManager painter(CodedTile(38));
    Bitmap screen(5, 5);
    painter.DrawFrame(1280, 1024, 1024, 768, screen);
    ASSERT_EQ(screen.Width(), 1280);
    ASSERT_EQ(screen.Height(), 1024);

    const kv::Rect outer{146, 132, 1134, 892}, inner{184, 170, 1096, 854};
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1280; ++x) {
            const bool frame = outer.Contains(x, y) && !inner.Contains(x, y);
            if ((screen.Pixel(x, y) != kBlack) != frame)
                FAIL() << "pixel (" << x << ", " << y << ") should be " << (frame ? "frame" : "black");
        }

    EXPECT_TRUE(BlockIs(screen, 146, 132, painter.TopLeftCorner(), "TopLeftCorner"));
    EXPECT_TRUE(BlockIs(screen, 1096, 132, painter.TopRightCorner(), "TopRightCorner"));
    EXPECT_TRUE(BlockIs(screen, 146, 854, painter.BottomLeftCorner(), "BottomLeftCorner"));
    EXPECT_TRUE(BlockIs(screen, 1096, 854, painter.BottomRightCorner(), "BottomRightCorner"));
    for (int i = 1; i <= 24; ++i) {
        EXPECT_TRUE(BlockIs(screen, 146 + 38 * i, 132, painter.TopEdge(), "TopEdge"));
        EXPECT_TRUE(BlockIs(screen, 146 + 38 * i, 854, painter.BottomEdge(), "BottomEdge"));
    }
    for (int j = 0; j < 18; ++j) {
        EXPECT_TRUE(BlockIs(screen, 146, 170 + 38 * j, painter.LeftEdge(), "LeftEdge"));
        EXPECT_TRUE(BlockIs(screen, 1096, 170 + 38 * j, painter.RightEdge(), "RightEdge"));
    }
}

TEST(DrawFrame, OddScreenSizesLeaveTheGapsWhereTheShowAreaMeetsTheFrame) {
    const TFrameManager painter(CodedTile(38));
    Bitmap screen;
    painter.DrawFrame(1281, 1025, 1024, 768, screen);
    const FrameLayout f = kv::ComputeFrameLayout(1281, 1025, 1024, 768, 38, 38);
    ASSERT_EQ(f.XR, 1097);
    ASSERT_EQ(f.YB, 855);

    // The right column starts one pixel right of the right-hand corners; the column of
    // pixels between belongs to the show area, which ends exactly at XR.
    EXPECT_TRUE(BlockIs(screen, 1096, 132, painter.TopRightCorner(), "TopRightCorner"));
    EXPECT_TRUE(BlockIs(screen, 1097, 170, painter.RightEdge(), "RightEdge"));
    EXPECT_EQ(f.ShowArea().Right, 1097);
    for (int y = 170; y < 854; ++y) ASSERT_EQ(screen.Pixel(1096, y), kBlack) << y;

    // A one-pixel black line between the last side tile and the bottom row.
    EXPECT_TRUE(BlockIs(screen, 146, 170 + 17 * 38, painter.LeftEdge(), "LeftEdge"));
    EXPECT_TRUE(BlockIs(screen, 146, 855, painter.BottomLeftCorner(), "BottomLeftCorner"));
    EXPECT_EQ(f.ShowArea().Bottom, 855);
    for (int x = 146; x < 184; ++x) ASSERT_EQ(screen.Pixel(x, 854), kBlack) << x;
    for (int x = 1097; x < 1135; ++x) ASSERT_EQ(screen.Pixel(x, 854), kBlack) << x;
}

TEST(DrawFrame, NarrowDesignsGetCornersOnly) {
    const TFrameManager painter(CodedTile(8));
    Bitmap screen;

    // One column of three rows: the right-hand corners cover the left-hand ones, and the
    // single side tile of each column lands on the same spot.
    painter.DrawFrame(40, 40, 10, 30, screen);
    EXPECT_TRUE(BlockIs(screen, 16, 8, painter.TopRightCorner(), "TopRightCorner"));
    EXPECT_TRUE(BlockIs(screen, 16, 24, painter.BottomRightCorner(), "BottomRightCorner"));
    EXPECT_TRUE(BlockIs(screen, 16, 16, painter.RightEdge(), "RightEdge"));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(screen.Pixel(x, y) != kBlack, x >= 16 && x < 24 && y >= 8 && y < 32) << x << "," << y;

    // Two by two: four corners touching, no edge and no side piece.
    painter.DrawFrame(20, 20, 16, 16, screen);
    EXPECT_TRUE(BlockIs(screen, 2, 2, painter.TopLeftCorner(), "TopLeftCorner"));
    EXPECT_TRUE(BlockIs(screen, 10, 2, painter.TopRightCorner(), "TopRightCorner"));
    EXPECT_TRUE(BlockIs(screen, 2, 10, painter.BottomLeftCorner(), "BottomLeftCorner"));
    EXPECT_TRUE(BlockIs(screen, 10, 10, painter.BottomRightCorner(), "BottomRightCorner"));

    // Three columns, two rows: one top and one bottom edge piece, still no side piece.
    painter.DrawFrame(30, 20, 24, 16, screen);
    EXPECT_TRUE(BlockIs(screen, 11, 2, painter.TopEdge(), "TopEdge"));
    EXPECT_TRUE(BlockIs(screen, 11, 10, painter.BottomEdge(), "BottomEdge"));
    EXPECT_TRUE(BlockIs(screen, 19, 10, painter.BottomRightCorner(), "BottomRightCorner"));
}

}  // namespace
