#include "graphics/Canvas.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

namespace kv {

namespace detail {

CanvasSlot::~CanvasSlot() { delete canvas_.load(std::memory_order_acquire); }

Canvas& CanvasSlot::Get(Bitmap& owner) {
    Canvas* current = canvas_.load(std::memory_order_acquire);
    if (current != nullptr) return *current;
    Canvas* fresh = new Canvas(owner);
    if (canvas_.compare_exchange_strong(current, fresh, std::memory_order_acq_rel,
                                        std::memory_order_acquire))
        return *fresh;
    delete fresh;  // another thread made it first
    return *current;
}

}  // namespace detail

namespace {

constexpr int64_t kCoordinateLimit = int64_t{1} << 30;

// One axis of a stretching copy: destination origin and signed extent, source origin
// and signed extent, and the sizes of both bitmaps. Finds the destination pixels that
// lie inside the destination bitmap and whose source pixel lies inside the source
// bitmap — a contiguous run, since the mapping is monotonic — and stores the run's
// first destination index in first and each pixel's source index in map.
bool MapAxis(int64_t d0, int64_t dExtent, int64_t s0, int64_t sExtent, int64_t dSize,
             int64_t sSize, int64_t& first, std::vector<int32_t>& map) {
    map.clear();
    if (dExtent == 0 || sExtent == 0) return false;
    const uint64_t dAbs = static_cast<uint64_t>(dExtent < 0 ? -dExtent : dExtent);
    const uint64_t sAbs = static_cast<uint64_t>(sExtent < 0 ? -sExtent : sExtent);
    int64_t lo = dExtent > 0 ? d0 : d0 + dExtent + 1;
    int64_t hi = lo + static_cast<int64_t>(dAbs);
    lo = std::max<int64_t>(lo, 0);
    hi = std::min<int64_t>(hi, dSize);
    for (int64_t d = lo; d < hi; ++d) {
        uint64_t i = static_cast<uint64_t>(dExtent > 0 ? d - d0 : d0 - d);
        // (2i + 1) < 2^32 and sAbs <= 2^31 within the coordinate limit: no overflow.
        int64_t j = dAbs == sAbs ? static_cast<int64_t>(i)
                                 : static_cast<int64_t>(((2 * i + 1) * sAbs) / (2 * dAbs));
        int64_t s = sExtent > 0 ? s0 + j : s0 - j;
        if (s < 0 || s >= sSize) {
            if (!map.empty()) break;
            continue;
        }
        if (map.empty()) first = d;
        map.push_back(static_cast<int32_t>(s));
    }
    return !map.empty();
}

bool WithinLimit(int64_t v) { return v >= -kCoordinateLimit && v <= kCoordinateLimit; }

// Calls fn(top, bottom, spans) for each band of the clip (or the whole rectangle when
// there is no clip) inside x0 <= x < x1, y0 <= y < y1, with the spans cut to [x0, x1).
template <typename Fn>
void ForEachClippedBand(const std::optional<Region>& clip, int32_t x0, int32_t x1, int32_t y0,
                        int32_t y1, Fn&& fn) {
    if (x0 >= x1 || y0 >= y1) return;
    if (!clip) {
        Span whole{x0, x1};
        fn(y0, y1, std::span<const Span>(&whole, 1));
        return;
    }
    std::vector<Span> cut;
    for (size_t i = clip->FirstBandBelow(y0); i < clip->BandCount(); ++i) {
        Region::Band band = clip->BandAt(i);
        if (band.Top >= y1) break;
        cut.clear();
        auto it = std::upper_bound(band.Spans.begin(), band.Spans.end(), x0,
                                   [](int32_t v, const Span& s) { return v < s.Right; });
        for (; it != band.Spans.end() && it->Left < x1; ++it)
            cut.push_back(Span{std::max(it->Left, x0), std::min(it->Right, x1)});
        if (!cut.empty())
            fn(std::max(band.Top, y0), std::min(band.Bottom, y1), std::span<const Span>(cut));
    }
}

}  // namespace

void Canvas::SelectClipRegion(const Region& region) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    clip_ = region;
}

void Canvas::SelectClipRegion(Region&& region) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    clip_ = std::move(region);
}

void Canvas::SelectNoClip() {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    clip_.reset();
}

void Canvas::FillRect(const Rect& r, uint32_t bgra) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Bitmap& dst = *target_;
    Rect area = r.Intersect(Rect{0, 0, dst.Width(), dst.Height()});
    if (area.IsEmpty()) return;
    uint8_t pixel[4] = {static_cast<uint8_t>(bgra), static_cast<uint8_t>(bgra >> 8),
                        static_cast<uint8_t>(bgra >> 16), static_cast<uint8_t>(bgra >> 24)};
    uint8_t* bits = dst.Bits();
    const size_t stride = dst.Stride();
    ForEachClippedBand(clip_, area.Left, area.Right, area.Top, area.Bottom,
                       [&](int32_t top, int32_t bottom, std::span<const Span> spans) {
                           uint8_t* first = bits + static_cast<size_t>(top) * stride;
                           for (const Span& s : spans)
                               for (int32_t x = s.Left; x < s.Right; ++x)
                                   std::memcpy(first + static_cast<size_t>(x) * 4, pixel, 4);
                           for (int32_t y = top + 1; y < bottom; ++y) {
                               uint8_t* row = bits + static_cast<size_t>(y) * stride;
                               for (const Span& s : spans)
                                   std::memcpy(row + static_cast<size_t>(s.Left) * 4,
                                               first + static_cast<size_t>(s.Left) * 4,
                                               static_cast<size_t>(s.Right - s.Left) * 4);
                           }
                       });
}

void Canvas::Draw(int32_t x, int32_t y, const Bitmap& src) {
    Blit(x, y, src.Width(), src.Height(), src, 0, 0, src.Width(), src.Height());
}

void Canvas::StretchDraw(const Rect& dest, const Bitmap& src) {
    Blit(dest.Left, dest.Top, int64_t{dest.Right} - dest.Left, int64_t{dest.Bottom} - dest.Top,
         src, 0, 0, src.Width(), src.Height());
}

void Canvas::CopyRect(const Rect& dest, const Bitmap& src, const Rect& source) {
    Blit(dest.Left, dest.Top, int64_t{dest.Right} - dest.Left, int64_t{dest.Bottom} - dest.Top,
         src, source.Left, source.Top, int64_t{source.Right} - source.Left,
         int64_t{source.Bottom} - source.Top);
}

void Canvas::StretchBlt(int32_t xd, int32_t yd, int32_t wd, int32_t hd, const Bitmap& src,
                        int32_t xs, int32_t ys, int32_t ws, int32_t hs) {
    Blit(xd, yd, wd, hd, src, xs, ys, ws, hs);
}

void Canvas::Blit(int64_t xd, int64_t yd, int64_t wd, int64_t hd, const Bitmap& src, int64_t xs,
                  int64_t ys, int64_t ws, int64_t hs) {
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Bitmap& dst = *target_;
    if (dst.Empty() || src.Empty()) return;
    for (int64_t v : {xd, yd, xs, ys, xd + wd, yd + hd, xs + ws, ys + hs})
        if (!WithinLimit(v)) return;

    std::vector<int32_t> cols, rows;
    int64_t x0 = 0, y0 = 0;
    if (!MapAxis(xd, wd, xs, ws, dst.Width(), src.Width(), x0, cols)) return;
    if (!MapAxis(yd, hd, ys, hs, dst.Height(), src.Height(), y0, rows)) return;
    // Consecutive source columns are copied with memcpy, consecutive columns in reverse
    // order (a mirror at the same size) with a reversed loop; anything else through the map.
    bool straight = true, reversed = cols.size() > 1;
    for (size_t k = 1; k < cols.size() && straight; ++k) straight = cols[k] == cols[k - 1] + 1;
    for (size_t k = 1; k < cols.size() && reversed; ++k) reversed = cols[k] == cols[k - 1] - 1;

    // A copy within one bitmap reads from a copy of the source rows it needs.
    const uint8_t* srcBits = src.Bits();
    const size_t srcStride = src.Stride();
    int32_t rowBase = 0;
    std::vector<uint8_t> saved;
    if (&src == &dst) {
        auto [lo, hi] = std::minmax_element(rows.begin(), rows.end());
        rowBase = *lo;
        saved.assign(srcBits + static_cast<size_t>(*lo) * srcStride,
                     srcBits + static_cast<size_t>(*hi + 1) * srcStride);
        srcBits = saved.data();
    }

    uint8_t* dstBits = dst.Bits();
    const size_t dstStride = dst.Stride();
    const int32_t firstCol = static_cast<int32_t>(x0);
    const int32_t firstRow = static_cast<int32_t>(y0);
    ForEachClippedBand(
        clip_, firstCol, firstCol + static_cast<int32_t>(cols.size()), firstRow,
        firstRow + static_cast<int32_t>(rows.size()),
        [&](int32_t top, int32_t bottom, std::span<const Span> spans) {
            for (int32_t y = top; y < bottom; ++y) {
                const int32_t sourceRow = rows[static_cast<size_t>(y - firstRow)];
                uint8_t* row = dstBits + static_cast<size_t>(y) * dstStride;
                if (y > top && rows[static_cast<size_t>(y - 1 - firstRow)] == sourceRow) {
                    // Same source row as the row above, with the same spans: repeat it.
                    const uint8_t* above = row - dstStride;
                    for (const Span& s : spans)
                        std::memcpy(row + static_cast<size_t>(s.Left) * 4,
                                    above + static_cast<size_t>(s.Left) * 4,
                                    static_cast<size_t>(s.Right - s.Left) * 4);
                    continue;
                }
                const uint8_t* in = srcBits + static_cast<size_t>(sourceRow - rowBase) * srcStride;
                for (const Span& s : spans) {
                    const int32_t* map = cols.data() + (s.Left - firstCol);
                    if (straight) {
                        std::memcpy(row + static_cast<size_t>(s.Left) * 4,
                                    in + static_cast<size_t>(map[0]) * 4,
                                    static_cast<size_t>(s.Right - s.Left) * 4);
                    } else if (reversed) {
                        uint8_t* out = row + static_cast<size_t>(s.Left) * 4;
                        const uint8_t* from = in + static_cast<size_t>(map[0]) * 4;
                        for (int32_t n = 0; n < s.Right - s.Left; ++n)
                            std::memcpy(out + static_cast<size_t>(n) * 4, from - static_cast<ptrdiff_t>(n) * 4, 4);
                    } else {
                        uint8_t* out = row + static_cast<size_t>(s.Left) * 4;
                        for (int32_t n = 0; n < s.Right - s.Left; ++n)
                            std::memcpy(out + static_cast<size_t>(n) * 4,
                                        in + static_cast<size_t>(map[n]) * 4, 4);
                    }
                }
            }
        });
}

}  // namespace kv
