#pragma once
// Regions: sets of pixels with the semantics of Win32 regions.
//
// A region is stored as y-bands: each band covers the rows Top <= y < Bottom and holds a
// sorted list of x-spans Left <= x < Right that are disjoint and do not touch. Bands are
// sorted, disjoint, never empty, and two touching bands never hold the same spans (they
// are merged), so every set of pixels has exactly one representation and == compares
// regions as pixel sets.
//
// Combining two regions walks both band lists once (linear in their sizes); |= is
// constant time per band when the pieces arrive from top to bottom without overlapping.
// To union many pieces in any other order — a lattice of columns, hundreds of triangles —
// collect them in a RegionBuilder, which builds the union in one sweep (rectangles) and
// pairwise merges (regions) instead of one combine per piece over an ever larger result.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <vector>

#include "graphics/Geometry.h"

namespace kv {

// Pixels Left <= x < Right of one band.
struct Span {
    int32_t Left = 0;
    int32_t Right = 0;

    friend constexpr bool operator==(const Span&, const Span&) = default;
};

enum class RegionOp { Or, And, Xor };

class Region {
public:
    // One band as handed out by iteration: rows Top <= y < Bottom, and their spans.
    struct Band {
        int32_t Top;
        int32_t Bottom;
        std::span<const Span> Spans;
    };

    // The empty region.
    Region() = default;
    // The pixels l <= x < r, t <= y < b; empty when r <= l or b <= t.
    explicit Region(const Rect& r);
    static Region Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) {
        return Region(Rect{l, t, r, b});
    }

    // The rectangle (l, t, r, b) with its corners rounded by an ellipse w wide and h high
    // (as CreateRoundRectRgn). An ellipse wider or taller than the rectangle is reduced
    // to the rectangle's width or height; w or h of 0 or less gives square corners.
    //
    // Pixel rule: pixel (x, y) belongs to the region when its centre (x + 0.5, y + 0.5)
    // lies inside or on the boundary of the continuous shape — the rectangle [l, r] x
    // [t, b] whose four corners are quarters of a w x h ellipse touching the two sides at
    // that corner. The test is done exactly in integers, so the region is symmetric
    // left/right and top/bottom. Example: (0, 0, 8, 6, 4, 4) drops one pixel at each
    // corner; (0, 0, 10, 10, 10, 10) is the disc inscribed in the 10 x 10 square, 4 pixels
    // wide in its first and last rows (x = 3..6) and full in rows 3..6.
    // Coordinates are clamped to +-2^30.
    static Region RoundRect(int32_t l, int32_t t, int32_t r, int32_t b, int32_t w, int32_t h);

    // The polygon through the points in order, closed back to the first point, filled by
    // the non-zero winding rule (as CreatePolygonRgn with WINDING): pixel (x, y) belongs
    // to the region when its centre (x + 0.5, y + 0.5) has a non-zero winding number. A
    // centre exactly on an edge counts as inside on the edge where the span starts (left)
    // and outside where it ends (right); rows follow the same rule, so the polygon of a
    // rectangle's corners is exactly that rectangle. Fewer than 3 points give the empty
    // region. Coordinates are clamped to +-2^27 (the range of GDI coordinates); the work
    // is proportional to the polygon's height.
    static Region Polygon(std::span<const Point> points);

    // CombineRgn: union (Or), intersection (And) or symmetric difference (Xor).
    static Region Combine(const Region& a, const Region& b, RegionOp op);

    Region& operator|=(const Region& o);
    Region& operator&=(const Region& o) { return *this = Combine(*this, o, RegionOp::And); }
    Region& operator^=(const Region& o) { return *this = Combine(*this, o, RegionOp::Xor); }
    friend Region operator|(const Region& a, const Region& b) { return Combine(a, b, RegionOp::Or); }
    friend Region operator&(const Region& a, const Region& b) { return Combine(a, b, RegionOp::And); }
    friend Region operator^(const Region& a, const Region& b) { return Combine(a, b, RegionOp::Xor); }

    bool IsEmpty() const { return bands_.empty(); }
    // The smallest rectangle holding every pixel; (0, 0, 0, 0) for the empty region.
    Rect Bounds() const;
    bool Contains(int32_t x, int32_t y) const;
    // Moves the region; coordinates saturate at the int32 range.
    void Offset(int32_t dx, int32_t dy);

    // Iteration: for (const Region::Band& band : region.Bands()) for (Span s : band.Spans)
    size_t BandCount() const { return bands_.size(); }
    Band BandAt(size_t i) const {
        const BandRec& b = bands_[i];
        return Band{b.Top, b.Bottom, std::span<const Span>(spans_.data() + b.First, b.Count)};
    }
    class BandIterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Band;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Band;
        BandIterator() = default;
        BandIterator(const Region* r, size_t i) : region_(r), index_(i) {}
        Band operator*() const { return region_->BandAt(index_); }
        BandIterator& operator++() { ++index_; return *this; }
        BandIterator operator++(int) { BandIterator t = *this; ++index_; return t; }
        friend bool operator==(const BandIterator& a, const BandIterator& b) {
            return a.index_ == b.index_;
        }
    private:
        const Region* region_ = nullptr;
        size_t index_ = 0;
    };
    struct BandRange {
        const Region* region;
        BandIterator begin() const { return BandIterator(region, 0); }
        BandIterator end() const { return BandIterator(region, region->BandCount()); }
    };
    BandRange Bands() const { return BandRange{this}; }
    // Index of the first band with Bottom > y: the band holding row y, or else the first
    // band under it (BandCount() when there is none).
    size_t FirstBandBelow(int32_t y) const;

    // The number of rectangles (spans over all bands) the region is made of.
    size_t RectCount() const { return spans_.size(); }

    friend bool operator==(const Region& a, const Region& b);

private:
    struct BandRec {
        int32_t Top;
        int32_t Bottom;
        uint32_t First;
        uint32_t Count;
    };
    std::vector<BandRec> bands_;
    std::vector<Span> spans_;

    friend class BandWriter;
    friend class RegionBuilder;
};

// Collects rectangles and regions and builds their union at once. Adding N rectangles
// and building costs O(N log N) plus the size of the result, whatever the order of the
// pieces.
class RegionBuilder {
public:
    // Empty rectangles are ignored.
    void Add(const Rect& r) {
        if (!r.IsEmpty()) rects_.push_back(r);
    }
    void Add(int32_t l, int32_t t, int32_t r, int32_t b) { Add(Rect{l, t, r, b}); }
    void Add(Region r);
    bool IsEmpty() const { return rects_.empty() && regions_.empty(); }
    // The union of everything added; the builder is left empty.
    Region Build();

private:
    std::vector<Rect> rects_;
    std::vector<Region> regions_;
};

}  // namespace kv
