#include "frames/frameManagerUnit.h"

#include <algorithm>
#include <limits>
#include <system_error>
#include <utility>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/Bmp.h"
#include "graphics/Canvas.h"

namespace kv {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;

void CheckSquare(const Bitmap& tile) {
    if (tile.Width() != tile.Height())
        throw Error(Format("The frame picture must be square, not %dx%d", tile.Width(), tile.Height()));
}

// A piece of the tile's size whose pixel (x, y) is tile pixel at(x, y).
template <typename Source>
Bitmap Build(const Bitmap& tile, Source at) {
    const int s = tile.Width();
    Bitmap piece(s, tile.Height());
    for (int y = 0; y < piece.Height(); ++y)
        for (int x = 0; x < s; ++x) {
            auto [tx, ty] = at(x, y);
            piece.SetPixel(x, y, tile.Pixel(tx, ty));
        }
    return piece;
}

// Overwrites the pixels of base for which take(x, y) holds with those of over.
template <typename Condition>
Bitmap Mitre(Bitmap base, const Bitmap& over, Condition take) {
    for (int y = 0; y < base.Height(); ++y)
        for (int x = 0; x < base.Width(); ++x)
            if (take(x, y)) base.SetPixel(x, y, over.Pixel(x, y));
    return base;
}

int32_t Narrow(int64_t v) {
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        throw Error("The frame does not fit the screen coordinates");
    return static_cast<int32_t>(v);
}

}  // namespace

Rect FrameLayout::ShowArea() const {
    const int32_t right = std::max(Left, ScreenWidth - Right);
    const int32_t bottom = std::max(Top, ScreenHeight - Bottom);
    return Rect{Left, Top, right, bottom};
}

FrameLayout ComputeFrameLayout(int32_t screenWidth, int32_t screenHeight, int32_t designWidth,
                               int32_t designHeight, int32_t tileWidth, int32_t tileHeight) {
    if (tileWidth <= 0 || tileHeight <= 0) throw Error("There is no frame picture to paint");
    if (tileWidth != tileHeight)
        throw Error(Format("The frame picture must be square, not %dx%d", tileWidth, tileHeight));
    if (screenWidth < 1 || screenHeight < 1 || designWidth < 1 || designHeight < 1)
        throw Error(Format("Frame sizes must be positive (screen %dx%d, design %dx%d)", screenWidth, screenHeight,
                           designWidth, designHeight));
    if (designWidth > screenWidth || designHeight > screenHeight)
        throw Error(Format("The design size %dx%d is larger than the screen %dx%d", designWidth, designHeight,
                           screenWidth, screenHeight));

    // 64-bit arithmetic: a tile near the int32 limit must not wrap the margins around.
    const int64_t sw = screenWidth, sh = screenHeight, dw = designWidth, dh = designHeight;
    const int64_t tw = tileWidth, th = tileHeight;
    const int64_t ox = (sw - dw) / 2, oy = (sh - dh) / 2;
    const int64_t rx = dw % tw, ry = dh % th;
    const int64_t lx = rx / 2, ly = ry / 2, ex = rx % 2, ey = ry % 2;
    const int64_t top = th + ly + oy, left = tw + lx + ox;
    const int64_t bottom = top + ey, right = left + ex;

    FrameLayout f;
    f.ScreenWidth = screenWidth;
    f.ScreenHeight = screenHeight;
    f.OX = Narrow(ox);
    f.OY = Narrow(oy);
    f.LX = Narrow(lx);
    f.LY = Narrow(ly);
    f.EX = Narrow(ex);
    f.EY = Narrow(ey);
    f.X0 = Narrow(ox + lx);
    f.Y0 = Narrow(oy + ly);
    f.NC = Narrow(dw / tw);
    f.Top = Narrow(top);
    f.Bottom = Narrow(bottom);
    f.Left = Narrow(left);
    f.Right = Narrow(right);
    f.XR = Narrow(sw - right);
    f.YB = Narrow(sh - bottom);
    f.NR = Narrow((sh - top - bottom) / th);
    // Every tile position DrawFrame computes must stay in range too.
    Narrow(f.X0 + (int64_t{f.NC} - 1) * tw);
    Narrow(top + (int64_t{f.NR} - 1) * th);
    return f;
}

TFrameManager::TFrameManager(const std::filesystem::path& fileName) : FileName_(fileName) {
    std::error_code ec;
    if (!std::filesystem::exists(fileName, ec)) return;
    Bitmap tile = ReadBmp(ReadFileBytes(fileName));
    CheckSquare(tile);
    Tile_ = std::move(tile);
}

TFrameManager::TFrameManager(Bitmap tile) {
    CheckSquare(tile);
    Tile_ = std::move(tile);
}

Bitmap TFrameManager::TopEdge() const {
    return Build(Tile_, [](int x, int y) { return std::pair{x, y}; });
}

Bitmap TFrameManager::BottomEdge() const {
    const int s = Tile_.Width();
    return Build(Tile_, [s](int x, int y) { return std::pair{x, s - 1 - y}; });
}

Bitmap TFrameManager::LeftEdge() const {
    return Build(Tile_, [](int x, int y) { return std::pair{y, x}; });
}

Bitmap TFrameManager::RightEdge() const {
    const int s = Tile_.Width();
    return Build(Tile_, [s](int x, int y) { return std::pair{y, s - 1 - x}; });
}

Bitmap TFrameManager::TopLeftCorner() const {
    return Mitre(LeftEdge(), TopEdge(), [](int x, int y) { return x >= y; });
}

Bitmap TFrameManager::TopRightCorner() const {
    const int s = Tile_.Width();
    return Mitre(RightEdge(), TopEdge(), [s](int x, int y) { return x + y <= s; });
}

Bitmap TFrameManager::BottomRightCorner() const {
    return Mitre(RightEdge(), BottomEdge(), [](int x, int y) { return x <= y; });
}

Bitmap TFrameManager::BottomLeftCorner() const {
    const int s = Tile_.Width();
    return Mitre(LeftEdge(), BottomEdge(), [s](int x, int y) { return x + y >= s - 1; });
}

void TFrameManager::DrawFrame(int32_t screenWidth, int32_t screenHeight, int32_t designWidth, int32_t designHeight,
                              Bitmap& target) const {
    const FrameLayout f =
        ComputeFrameLayout(screenWidth, screenHeight, designWidth, designHeight, Tile_.Width(), Tile_.Height());
    const int32_t tw = Tile_.Width(), th = Tile_.Height();

    target.SetSize(screenWidth, screenHeight);
    Canvas& canvas = target.Canvas();
    canvas.FillRect(Rect{0, 0, screenWidth, screenHeight}, kBlack);

    const int32_t xLast = f.X0 + (f.NC - 1) * tw;
    {
        const Bitmap piece = TopEdge();
        for (int32_t i = 1; i <= f.NC - 2; ++i) canvas.Draw(f.X0 + i * tw, f.Y0, piece);
    }
    canvas.Draw(f.X0, f.Y0, TopLeftCorner());
    canvas.Draw(xLast, f.Y0, TopRightCorner());
    {
        const Bitmap piece = BottomEdge();
        for (int32_t i = 1; i <= f.NC - 2; ++i) canvas.Draw(f.X0 + i * tw, f.YB, piece);
    }
    canvas.Draw(f.X0, f.YB, BottomLeftCorner());
    canvas.Draw(xLast, f.YB, BottomRightCorner());
    {
        const Bitmap piece = LeftEdge();
        for (int32_t j = 0; j < f.NR; ++j) canvas.Draw(f.X0, f.Top + j * th, piece);
    }
    {
        const Bitmap piece = RightEdge();
        for (int32_t j = 0; j < f.NR; ++j) canvas.Draw(f.XR, f.Top + j * th, piece);
    }
}

}  // namespace kv
