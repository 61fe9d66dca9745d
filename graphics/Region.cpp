#include "graphics/Region.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "graphics/RasterMath.h"

namespace kv {

// Appends bands to a region under construction, keeping the canonical form: empty bands
// are dropped and a band that continues the previous one with the same spans extends it.
class BandWriter {
public:
    explicit BandWriter(Region& r) : bands_(r.bands_), spans_(r.spans_) {}

    void Add(int32_t top, int32_t bottom, const Span* s, size_t n) {
        if (n == 0 || top >= bottom) return;
        if (!bands_.empty()) {
            Region::BandRec& last = bands_.back();
            if (last.Bottom == top && last.Count == n &&
                std::equal(s, s + n, spans_.begin() + last.First)) {
                last.Bottom = bottom;
                return;
            }
        }
        bands_.push_back(Region::BandRec{top, bottom, static_cast<uint32_t>(spans_.size()),
                                         static_cast<uint32_t>(n)});
        spans_.insert(spans_.end(), s, s + n);
    }
    void Add(int32_t top, int32_t bottom, const std::vector<Span>& s) {
        Add(top, bottom, s.data(), s.size());
    }

private:
    std::vector<Region::BandRec>& bands_;
    std::vector<Span>& spans_;
};

namespace {

constexpr int64_t kInfinity = std::numeric_limits<int64_t>::max();

int32_t Clamp32(int64_t v, int64_t limit) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, -limit, limit));
}

bool Apply(RegionOp op, bool a, bool b) {
    switch (op) {
        case RegionOp::Or: return a || b;
        case RegionOp::And: return a && b;
        case RegionOp::Xor: return a != b;
    }
    return false;
}

// Combines two span lists of one row range into out (cleared first).
void CombineSpans(std::span<const Span> a, std::span<const Span> b, RegionOp op,
                  std::vector<Span>& out) {
    out.clear();
    size_t ia = 0, ib = 0;
    bool inA = false, inB = false, inOut = false;
    int64_t start = 0;
    for (;;) {
        int64_t nextA = ia < a.size() ? (inA ? a[ia].Right : a[ia].Left) : kInfinity;
        int64_t nextB = ib < b.size() ? (inB ? b[ib].Right : b[ib].Left) : kInfinity;
        int64_t x = std::min(nextA, nextB);
        if (x == kInfinity) break;
        if (nextA == x) {
            if (inA) ++ia;
            inA = !inA;
        }
        if (nextB == x) {
            if (inB) ++ib;
            inB = !inB;
        }
        bool o = Apply(op, inA, inB);
        if (o && !inOut) {
            start = x;
            inOut = true;
        } else if (!o && inOut) {
            out.push_back(Span{static_cast<int32_t>(start), static_cast<int32_t>(x)});
            inOut = false;
        }
    }
}

// 128-bit products, to compare squares of 62-bit values exactly on every target.
struct U128 {
    uint64_t hi, lo;
};
U128 Mul64(uint64_t a, uint64_t b) {
    uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return U128{p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & 0xFFFFFFFFu)};
}
bool LessEqual(U128 a, U128 b) { return a.hi < b.hi || (a.hi == b.hi && a.lo <= b.lo); }

// Half chord of an ellipse with half-axes w and h (all in doubled pixel units) at the
// distance dy from its centre: the largest k with (k / w)^2 + (dy / h)^2 <= 1.
int64_t HalfChord(int64_t w, int64_t h, int64_t dy) {
    uint64_t q = static_cast<uint64_t>(h - dy) * static_cast<uint64_t>(h + dy);
    U128 rhs = Mul64(static_cast<uint64_t>(w) * static_cast<uint64_t>(w), q);
    auto fits = [&](int64_t k) {
        uint64_t kh = static_cast<uint64_t>(k) * static_cast<uint64_t>(h);
        return LessEqual(Mul64(kh, kh), rhs);
    };
    long double estimate = static_cast<long double>(w) * std::sqrt(static_cast<long double>(q)) /
                           static_cast<long double>(h);
    int64_t k = std::clamp<int64_t>(static_cast<int64_t>(estimate), 0, w);
    while (k > 0 && !fits(k)) --k;
    while (k < w && fits(k + 1)) ++k;
    return k;
}

}  // namespace

Region::Region(const Rect& r) {
    if (r.IsEmpty()) return;
    bands_.push_back(BandRec{r.Top, r.Bottom, 0, 1});
    spans_.push_back(Span{r.Left, r.Right});
}

Region Region::RoundRect(int32_t l32, int32_t t32, int32_t r32, int32_t b32, int32_t w32,
                         int32_t h32) {
    constexpr int64_t kLimit = int64_t{1} << 30;
    int64_t l = Clamp32(l32, kLimit), t = Clamp32(t32, kLimit);
    int64_t r = Clamp32(r32, kLimit), b = Clamp32(b32, kLimit);
    if (r <= l || b <= t) return Region();
    int64_t w = std::clamp<int64_t>(w32, 0, r - l);
    int64_t h = std::clamp<int64_t>(h32, 0, b - t);
    if (w == 0 || h == 0) return Region(Rect{l32, t32, r32, b32});

    // Doubled coordinates: pixel centre (2x + 1, 2y + 1); the left ellipses are centred on
    // x2 = 2l + w, the right ones on x2 = 2r - w, the top ones on y2 = 2t + h, the bottom
    // ones on y2 = 2b - h; their half-axes are w and h.
    Region out;
    BandWriter writer(out);
    Span span;
    auto cornerRow = [&](int64_t y, int64_t dy) {
        int64_t k = HalfChord(w, h, dy);
        int64_t xmin = CeilDiv(2 * l + w - k - 1, 2);
        int64_t xmax = FloorDiv(2 * r - w + k - 1, 2);
        if (xmin > xmax) return;
        span = Span{static_cast<int32_t>(xmin), static_cast<int32_t>(xmax + 1)};
        writer.Add(static_cast<int32_t>(y), static_cast<int32_t>(y + 1), &span, 1);
    };
    // Rows whose centre lies above the top ellipses' centre line, then the straight part,
    // then the rows below the bottom ellipses' centre line.
    int64_t y = t;
    for (; y < b && 2 * y + 1 < 2 * t + h; ++y) cornerRow(y, 2 * t + h - (2 * y + 1));
    int64_t middleEnd = std::min<int64_t>(b, FloorDiv(2 * b - h - 1, 2) + 1);
    if (middleEnd > y) {
        span = Span{static_cast<int32_t>(l), static_cast<int32_t>(r)};
        writer.Add(static_cast<int32_t>(y), static_cast<int32_t>(middleEnd), &span, 1);
        y = middleEnd;
    }
    for (; y < b; ++y) cornerRow(y, (2 * y + 1) - (2 * b - h));
    return out;
}

Region Region::Polygon(std::span<const Point> points) {
    if (points.size() < 3) return Region();
    constexpr int64_t kLimit = int64_t{1} << 27;
    struct Edge {
        int64_t top, bottom;  // rows top <= y < bottom cross this edge
        int64_t x0, y0, dx, dy;  // upper end point and extent (dy > 0)
        int dir;
    };
    std::vector<Edge> edges;
    edges.reserve(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const Point& p = points[i];
        const Point& q = points[(i + 1) % points.size()];
        int64_t px = Clamp32(p.X, kLimit), py = Clamp32(p.Y, kLimit);
        int64_t qx = Clamp32(q.X, kLimit), qy = Clamp32(q.Y, kLimit);
        if (py == qy) continue;
        if (py < qy) edges.push_back(Edge{py, qy, px, py, qx - px, qy - py, +1});
        else edges.push_back(Edge{qy, py, qx, qy, px - qx, py - qy, -1});
    }
    if (edges.empty()) return Region();
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.top < b.top; });
    int64_t bottom = edges.front().bottom;
    for (const Edge& e : edges) bottom = std::max(bottom, e.bottom);

    Region out;
    BandWriter writer(out);
    std::vector<const Edge*> active;
    struct Crossing {
        int64_t x;
        int dir;
    };
    std::vector<Crossing> crossings;
    std::vector<Span> spans;
    size_t next = 0;
    for (int64_t y = edges.front().top; y < bottom; ++y) {
        while (next < edges.size() && edges[next].top <= y) active.push_back(&edges[next++]);
        std::erase_if(active, [y](const Edge* e) { return e->bottom <= y; });
        crossings.clear();
        for (const Edge* e : active) {
            // First pixel whose centre is at or right of the edge on the line y + 0.5:
            // ceil(x0 + (y + 0.5 - y0) * dx / dy - 0.5).
            int64_t num = (2 * e->x0 - 1) * e->dy + (2 * y + 1 - 2 * e->y0) * e->dx;
            crossings.push_back(Crossing{CeilDiv(num, 2 * e->dy), e->dir});
        }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        spans.clear();
        int winding = 0;
        int64_t start = 0;
        for (const Crossing& c : crossings) {
            int before = winding;
            winding += c.dir;
            if (before == 0 && winding != 0) {
                start = c.x;
            } else if (before != 0 && winding == 0 && c.x > start) {
                if (!spans.empty() && start <= spans.back().Right)
                    spans.back().Right = static_cast<int32_t>(c.x);
                else
                    spans.push_back(Span{static_cast<int32_t>(start), static_cast<int32_t>(c.x)});
            }
        }
        writer.Add(static_cast<int32_t>(y), static_cast<int32_t>(y + 1), spans);
    }
    return out;
}

Region Region::Combine(const Region& a, const Region& b, RegionOp op) {
    if (op == RegionOp::Or || op == RegionOp::Xor) {
        if (a.IsEmpty()) return b;
        if (b.IsEmpty()) return a;
    } else if (a.IsEmpty() || b.IsEmpty()) {
        return Region();
    }
    if (op == RegionOp::Or && b.bands_.front().Top >= a.bands_.back().Bottom) {
        Region out = a;
        BandWriter writer(out);
        for (const Band& band : b.Bands())
            writer.Add(band.Top, band.Bottom, band.Spans.data(), band.Spans.size());
        return out;
    }
    if (op == RegionOp::Or && a.bands_.front().Top >= b.bands_.back().Bottom)
        return Combine(b, a, op);

    Region out;
    out.bands_.reserve(a.bands_.size() + b.bands_.size());
    BandWriter writer(out);
    std::vector<Span> spans;
    size_t ia = 0, ib = 0;
    const size_t na = a.bands_.size(), nb = b.bands_.size();
    int64_t y = std::min(a.bands_.front().Top, b.bands_.front().Top);
    for (;;) {
        while (ia < na && a.bands_[ia].Bottom <= y) ++ia;
        while (ib < nb && b.bands_[ib].Bottom <= y) ++ib;
        if (ia == na && ib == nb) break;
        if (op == RegionOp::And && (ia == na || ib == nb)) break;
        int64_t topA = ia < na ? a.bands_[ia].Top : kInfinity;
        int64_t topB = ib < nb ? b.bands_[ib].Top : kInfinity;
        y = std::max(y, std::min(topA, topB));
        bool activeA = topA <= y, activeB = topB <= y;
        int64_t end = std::min(activeA ? int64_t{a.bands_[ia].Bottom} : topA,
                               activeB ? int64_t{b.bands_[ib].Bottom} : topB);
        std::span<const Span> sa = activeA ? a.BandAt(ia).Spans : std::span<const Span>();
        std::span<const Span> sb = activeB ? b.BandAt(ib).Spans : std::span<const Span>();
        CombineSpans(sa, sb, op, spans);
        writer.Add(static_cast<int32_t>(y), static_cast<int32_t>(end), spans);
        y = end;
    }
    return out;
}

Region& Region::operator|=(const Region& o) {
    if (o.IsEmpty()) return *this;
    if (!IsEmpty() && o.bands_.front().Top >= bands_.back().Bottom) {
        // The common case of pieces added from top to bottom: append in place.
        BandWriter writer(*this);
        for (const Band& band : o.Bands())
            writer.Add(band.Top, band.Bottom, band.Spans.data(), band.Spans.size());
        return *this;
    }
    return *this = Combine(*this, o, RegionOp::Or);
}

Rect Region::Bounds() const {
    if (IsEmpty()) return Rect{};
    int32_t left = std::numeric_limits<int32_t>::max(), right = std::numeric_limits<int32_t>::min();
    for (const BandRec& b : bands_) {
        left = std::min(left, spans_[b.First].Left);
        right = std::max(right, spans_[b.First + b.Count - 1].Right);
    }
    return Rect{left, bands_.front().Top, right, bands_.back().Bottom};
}

size_t Region::FirstBandBelow(int32_t y) const {
    auto it = std::upper_bound(bands_.begin(), bands_.end(), y,
                               [](int32_t v, const BandRec& b) { return v < b.Bottom; });
    return static_cast<size_t>(it - bands_.begin());
}

bool Region::Contains(int32_t x, int32_t y) const {
    size_t i = FirstBandBelow(y);
    if (i == bands_.size() || bands_[i].Top > y) return false;
    std::span<const Span> spans = BandAt(i).Spans;
    auto it = std::upper_bound(spans.begin(), spans.end(), x,
                               [](int32_t v, const Span& s) { return v < s.Right; });
    return it != spans.end() && it->Left <= x;
}

void Region::Offset(int32_t dx, int32_t dy) {
    static constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    auto move = [](int32_t v, int32_t d) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} + d, -kMax - 1, kMax));
    };
    for (BandRec& b : bands_) {
        b.Top = move(b.Top, dy);
        b.Bottom = move(b.Bottom, dy);
    }
    for (Span& s : spans_) {
        s.Left = move(s.Left, dx);
        s.Right = move(s.Right, dx);
    }
    // Saturation at the edge of the coordinate range can collapse bands or spans;
    // rebuild the canonical form when it did.
    bool degenerate = false;
    for (const BandRec& b : bands_) degenerate |= b.Top >= b.Bottom;
    for (const Span& s : spans_) degenerate |= s.Left >= s.Right;
    if (!degenerate) return;
    RegionBuilder builder;
    for (const Band& band : Bands())
        for (const Span& s : band.Spans) builder.Add(s.Left, band.Top, s.Right, band.Bottom);
    *this = builder.Build();
}

bool operator==(const Region& a, const Region& b) {
    if (a.bands_.size() != b.bands_.size() || a.spans_ != b.spans_) return false;
    for (size_t i = 0; i < a.bands_.size(); ++i) {
        const Region::BandRec& x = a.bands_[i];
        const Region::BandRec& y = b.bands_[i];
        if (x.Top != y.Top || x.Bottom != y.Bottom || x.Count != y.Count) return false;
    }
    return true;
}

void RegionBuilder::Add(Region r) {
    if (!r.IsEmpty()) regions_.push_back(std::move(r));
}

Region RegionBuilder::Build() {
    std::vector<Rect> rects = std::move(rects_);
    std::vector<Region> parts = std::move(regions_);
    rects_.clear();
    regions_.clear();

    if (!rects.empty()) {
        // Sweep down through the rectangles' top and bottom edges. Between two
        // successive edges the set of rectangles crossing the rows is constant; their
        // x-intervals, kept sorted by left edge, merge into that band's spans.
        std::sort(rects.begin(), rects.end(),
                  [](const Rect& a, const Rect& b) { return a.Top < b.Top; });
        std::vector<int32_t> ys;
        ys.reserve(rects.size() * 2);
        for (const Rect& r : rects) {
            ys.push_back(r.Top);
            ys.push_back(r.Bottom);
        }
        std::sort(ys.begin(), ys.end());
        ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

        Region swept;
        BandWriter writer(swept);
        auto byLeft = [](const Rect& a, const Rect& b) { return a.Left < b.Left; };
        std::vector<Rect> active;
        std::vector<Span> spans;
        size_t next = 0;
        for (size_t k = 0; k + 1 < ys.size(); ++k) {
            int32_t y = ys[k];
            std::erase_if(active, [y](const Rect& r) { return r.Bottom <= y; });
            size_t added = active.size();
            while (next < rects.size() && rects[next].Top <= y) active.push_back(rects[next++]);
            if (added != active.size()) {
                std::sort(active.begin() + static_cast<std::ptrdiff_t>(added), active.end(), byLeft);
                std::inplace_merge(active.begin(), active.begin() + static_cast<std::ptrdiff_t>(added),
                                   active.end(), byLeft);
            }
            spans.clear();
            for (const Rect& r : active) {
                if (!spans.empty() && r.Left <= spans.back().Right)
                    spans.back().Right = std::max(spans.back().Right, r.Right);
                else
                    spans.push_back(Span{r.Left, r.Right});
            }
            writer.Add(y, ys[k + 1], spans);
        }
        parts.push_back(std::move(swept));
    }

    if (parts.empty()) return Region();
    // Union the parts pairwise, level by level: each level is linear in the total size.
    while (parts.size() > 1) {
        size_t half = 0;
        for (size_t i = 0; i < parts.size(); i += 2) {
            if (i + 1 < parts.size())
                parts[half++] = Region::Combine(parts[i], parts[i + 1], RegionOp::Or);
            else
                parts[half++] = std::move(parts[i]);
        }
        parts.resize(half);
    }
    return std::move(parts.front());
}

}  // namespace kv
