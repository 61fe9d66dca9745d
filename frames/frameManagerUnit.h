#pragma once
// The frame painter: one square tile, a piece of the top border of a picture frame,
// turned into the eight pieces of a mitred frame and painted around the centred design
// area of the screen.
//
// The tile's top row is the outer edge of the frame, its bottom row the inner edge that
// touches the show area; x runs along the border. With T(x, y) the tile pixel and S its
// side, pixel (x, y) of each piece is:
//   TopEdge            T(x, y)
//   BottomEdge         T(x, S - 1 - y)
//   LeftEdge           T(y, x)
//   RightEdge          T(y, S - 1 - x)
//   TopLeftCorner      TopEdge where x >= y,         otherwise LeftEdge
//   TopRightCorner     TopEdge where x + y <= S,     otherwise RightEdge
//   BottomRightCorner  BottomEdge where x <= y,      otherwise RightEdge
//   BottomLeftCorner   BottomEdge where x + y >= S-1, otherwise LeftEdge
#include <cstdint>
#include <filesystem>

#include "graphics/Bitmap.h"
#include "graphics/Geometry.h"

namespace kv {

// Where the frame goes on a screen, and the margins it leaves around the show area.
// All divisions truncate toward zero.
struct FrameLayout {
    int32_t OX = 0, OY = 0;  // offset of the centred design area: (SW - DW) / 2, (SH - DH) / 2
    int32_t LX = 0, LY = 0;  // design remainder (DW mod TW, DH mod TH) put before the first tile: half of it
    int32_t EX = 0, EY = 0;  // the odd pixel of that remainder, which goes to the right and bottom side
    int32_t X0 = 0, Y0 = 0;  // left column and top row of tiles
    int32_t NC = 0;          // tile columns across the design width, DW / TW
    int32_t NR = 0;          // side tiles in each column, (SH - Top - Bottom) / TH; may be below 1
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;  // margins of the show area
    int32_t XR = 0, YB = 0;  // right column of tiles (SW - Right) and bottom row (SH - Bottom)
    int32_t ScreenWidth = 0, ScreenHeight = 0;

    // The show area inside the frame: at (Left, Top), SW - Left - Right wide and
    // SH - Top - Bottom high. A design area of fewer than three tiles across (or down)
    // leaves no room inside the frame; the area is then empty in that direction
    // (Right == Left or Bottom == Top) rather than of negative size.
    Rect ShowArea() const;
};

// The frame layout for a screen of screenWidth x screenHeight, a design area of
// designWidth x designHeight and a tile of tileWidth x tileHeight. The show window takes
// its margins from here and DrawFrame paints by it, so the show area fits the frame.
// Raises kv::Error for an empty or non-square tile, a screen or design size below 1, or
// a design area larger than the screen.
FrameLayout ComputeFrameLayout(int32_t screenWidth, int32_t screenHeight, int32_t designWidth,
                               int32_t designHeight, int32_t tileWidth, int32_t tileHeight);

class TFrameManager {
public:
    // Loads the tile from fileName, which holds a Windows bitmap whatever its extension.
    // No file there leaves the tile empty (0 x 0) and is no error. A file that is no
    // valid bitmap raises the bitmap reader's kv::Error; a tile that is not square raises
    // kv::Error too, so no painter exists whose pieces are undefined.
    explicit TFrameManager(const std::filesystem::path& fileName);
    // A painter on a tile already in memory (same square rule; an empty tile is allowed).
    explicit TFrameManager(Bitmap tile);

    const std::filesystem::path& FileName() const { return FileName_; }
    const Bitmap& Tile() const { return Tile_; }

    // Each call builds a new piece of the tile's size from the tile; with an empty tile
    // every piece is empty.
    Bitmap TopEdge() const;
    Bitmap BottomEdge() const;
    Bitmap LeftEdge() const;
    Bitmap RightEdge() const;
    Bitmap TopLeftCorner() const;
    Bitmap TopRightCorner() const;
    Bitmap BottomLeftCorner() const;
    Bitmap BottomRightCorner() const;

    // Sizes target to screenWidth x screenHeight, fills it with black and paints the frame
    // around the centred design area (layout from ComputeFrameLayout). Raises kv::Error,
    // leaving target untouched, when the layout does (an empty tile among others).
    void DrawFrame(int32_t screenWidth, int32_t screenHeight, int32_t designWidth, int32_t designHeight,
                   Bitmap& target) const;

private:
    std::filesystem::path FileName_;
    Bitmap Tile_;
};

}  // namespace kv
