#pragma once
// Small pictures and region views shared by the raster and transition tests.
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Geometry.h"
#include "graphics/Region.h"

namespace kv::test {

// A bitmap whose pixel (x, y) records its own position: 0x01YYYXXX.
inline Bitmap Numbered(int w, int h) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, 0x01000000u | static_cast<uint32_t>(y) << 12 | static_cast<uint32_t>(x));
    return b;
}

// A bitmap of one colour.
inline Bitmap Filled(int w, int h, uint32_t colour) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, colour);
    return b;
}

using Rows = std::vector<std::string>;

// The region inside a window as rows of '#' (inside) and '.' (outside).
inline Rows Picture(const Region& region, const Rect& window) {
    Rows rows;
    for (int y = window.Top; y < window.Bottom; ++y) {
        std::string row;
        for (int x = window.Left; x < window.Right; ++x) row += region.Contains(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

}  // namespace kv::test
