#pragma once
// Integer points and rectangles in pixel coordinates (x to the right, y downward).
#include <algorithm>
#include <cstdint>
#include <limits>

namespace kv {

namespace detail {
constexpr int32_t SaturateInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}
}  // namespace detail

struct Point {
    int32_t X = 0;
    int32_t Y = 0;

    friend constexpr bool operator==(const Point&, const Point&) = default;
};

// A rectangle that covers the pixels Left <= x < Right and Top <= y < Bottom: the right
// and bottom edges are excluded. Right < Left (or Bottom < Top) is allowed as a value —
// the stretching copy reads it as a mirrored extent — but covers no pixels.
struct Rect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    // Signed extents (negative for a reversed rectangle), saturated to the int32 range.
    constexpr int32_t Width() const { return detail::SaturateInt32(int64_t{Right} - Left); }
    constexpr int32_t Height() const { return detail::SaturateInt32(int64_t{Bottom} - Top); }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(int32_t x, int32_t y) const {
        return x >= Left && x < Right && y >= Top && y < Bottom;
    }

    // The common part of two rectangles; (0, 0, 0, 0) when they share no pixel.
    constexpr Rect Intersect(const Rect& o) const {
        Rect r{std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right),
               std::min(Bottom, o.Bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace kv
