// Triangle reveals: the new picture shows through triangles that grow or swing with the
// progress.
//
// Styles 110 to 113 grow a right triangle out of one corner, its legs 2PW along the
// horizontal edge and 2PH along the vertical one, so that its long side passes the centre
// at half progress. Styles 114 and 115 swing two wedges hinged on opposite edges about
// the top-left and bottom-right corners; style 116 swings four wedges pinned at the
// centre (W div 2, H div 2), clockwise. Style 117 grows a lattice of small triangles
// until they overlap.
//
// Every frame is one clip-and-draw. Styles 110 to 116 divide by nothing: with PW or PH 0
// (early progress on a picture whose longer side is under 50 pixels) their triangles are
// flat and nothing shows. Style 117 divides by its lattice size N, which follows S; see
// TriangularShredToTopLeft for what it draws when S is 0.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "transitions/EffectFamilies.h"
#include "transitions/EffectHelpers.h"

namespace kv {
namespace {

// A triangle's corners, worked out in 64 bits (2PW and the like stay exact on any
// picture) and saturated when the region is made.
struct Corners {
    int64_t x1, y1, x2, y2, x3, y3;
};

Region MakeTriangle(const Corners& c) {
    using detail::SaturateInt32;
    return TriangleRegion(SaturateInt32(c.x1), SaturateInt32(c.y1), SaturateInt32(c.x2),
                          SaturateInt32(c.y2), SaturateInt32(c.x3), SaturateInt32(c.y3));
}

// The union of the triangles, first to last, as the clip for the new picture.
void RevealTriangles(Bitmap& Screen, const Bitmap& Image, std::initializer_list<Corners> triangles) {
    Region region;
    for (const Corners& c : triangles) region |= MakeTriangle(c);
    ClipAndDraw(Screen, std::move(region), Image);
}

template <int Style>
void TriangleReveal(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                    uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    const int64_t W = g.W, H = g.H, PW = g.PW, PH = g.PH;
    const int64_t CX = W / 2, CY = H / 2;
    // Diagonal reveals: a corner triangle with legs 2PW and 2PH.
    if constexpr (Style == 110) RevealTriangles(Screen, Image, {{0, 0, 2 * PW, 0, 0, 2 * PH}});
    if constexpr (Style == 111) RevealTriangles(Screen, Image, {{W, 0, W - 2 * PW, 0, W, 2 * PH}});
    if constexpr (Style == 112) RevealTriangles(Screen, Image, {{0, H, 2 * PW, H, 0, H - 2 * PH}});
    if constexpr (Style == 113)
        RevealTriangles(Screen, Image, {{W, H, W - 2 * PW, H, W, H - 2 * PH}});
    // Diagonal sweeps: wedges hinged on the left and right edges whose free corners run
    // along the bottom and top (anticlockwise), or hinged on the top and bottom edges
    // with free corners running down the right and up the left edge (clockwise).
    if constexpr (Style == 114)
        RevealTriangles(Screen, Image, {{0, H, 0, 0, PW, H}, {W, H, W, 0, W - PW, 0}});
    if constexpr (Style == 115)
        RevealTriangles(Screen, Image, {{W, 0, 0, 0, W, PH}, {W, H, 0, H, 0, H - PH}});
    // Starburst: four wedges at the centre, each fixed on the ray to one corner
    // (bottom-left, top-left, bottom-right, top-right) and turning clockwise from it.
    if constexpr (Style == 116)
        RevealTriangles(Screen, Image,
                        {{CX, CY, 0, H, 0, H - PH},
                         {0, 0, PW, 0, CX, CY},
                         {W - PW, H, CX, CY, W, H},
                         {CX, CY, W, 0, W, PH}});
}

// The spans [t.Left + j * pitch, t.Right + j * pitch) for j = 0..N, cut to 0 <= x < W,
// appended to spans in ascending order. Runs that touch or overlap (t at least one pitch
// wide) make one span; a pitch of 0 puts all runs on the first.
void AddRuns(std::vector<Span>& spans, Span t, int64_t pitch, int64_t N, int64_t W) {
    auto add = [&](int64_t l, int64_t r) {
        l = std::max<int64_t>(l, 0);
        r = std::min(r, W);
        if (l < r) spans.push_back(Span{static_cast<int32_t>(l), static_cast<int32_t>(r)});
    };
    const int64_t left = t.Left, right = t.Right;
    if (pitch == 0) return add(left, right);
    if (right - left >= pitch) return add(left, right + N * pitch);
    // Only the runs that reach into the picture: right + j * pitch > 0 and
    // left + j * pitch < W.
    const int64_t jFirst = std::max<int64_t>(FloorDiv(-right, pitch) + 1, 0);
    const int64_t jLast = std::min(CeilDiv(W - left, pitch) - 1, N);
    for (int64_t j = jFirst; j <= jLast; ++j) add(left + j * pitch, right + j * pitch);
}

// The rows of the union of the (N + 1) x (N + 1) lattice triangles with corners
// (j·W′ − PW′, i·H′ − PH′), (j·W′ + PW′, i·H′ − PH′), (j·W′ − PW′, i·H′ + PH′), i and j
// from 0 to N, cut to 0 <= x < W.
//
// All the triangles are one shape moved by whole pixels, so the pixels of one triangle
// (the template, about the point (0, 0)) give those of all the others exactly. A row of
// the union is the union of evenly spaced copies of one template span for each of the
// few lattice rows that cross it.
class LatticeRows {
public:
    LatticeRows(int64_t W, int64_t N, int64_t Wq, int64_t Hq, int64_t PWq, int64_t PHq)
        : W_(W), N_(N), Wq_(Wq), Hq_(Hq) {
        const Region shape = MakeTriangle({-PWq, -PHq, PWq, -PHq, -PWq, PHq});
        box_ = shape.Bounds();
        // A row of a triangle holds one span or, on a sliver, none (left empty).
        rows_.resize(static_cast<size_t>(box_.Height()));
        for (const Region::Band& band : shape.Bands())
            for (int64_t y = band.Top; y < band.Bottom; ++y)
                rows_[static_cast<size_t>(y - box_.Top)] = band.Spans.front();
    }

    bool Empty() const { return rows_.empty(); }
    // Rows Top() <= y < Bottom() of the template.
    int64_t Top() const { return box_.Top; }
    int64_t Bottom() const { return box_.Bottom; }

    // The spans of row y, ascending, disjoint and not touching.
    void Spans(int64_t y, std::vector<Span>& spans) const {
        spans.clear();
        // Lattice rows i whose triangles cross row y: Top() <= y - i·H′ < Bottom().
        int64_t iFirst = 0, iLast = -1;
        if (Hq_ > 0) {
            iFirst = std::max<int64_t>(CeilDiv(y - box_.Bottom + 1, Hq_), 0);
            iLast = std::min(FloorDiv(y - box_.Top, Hq_), N_);
        } else if (y >= box_.Top && y < box_.Bottom) {
            iLast = 0;  // a pitch of 0 stacks every lattice row on the first
        }
        int lines = 0;
        for (int64_t i = iFirst; i <= iLast; ++i) {
            const Span t = rows_[static_cast<size_t>(y - i * Hq_ - box_.Top)];
            if (t.Left >= t.Right) continue;
            AddRuns(spans, t, Wq_, N_, W_);
            ++lines;
        }
        if (lines < 2) return;
        // Each lattice row's runs are sorted; merge them into one list of spans.
        std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.Left < b.Left; });
        size_t n = 0;
        for (const Span& s : spans) {
            if (n > 0 && s.Left <= spans[n - 1].Right)
                spans[n - 1].Right = std::max(spans[n - 1].Right, s.Right);
            else
                spans[n++] = s;
        }
        spans.resize(n);
    }

    // Rows top <= y < bottom as a region; runs of equal rows become one rectangle each.
    Region Build(int64_t top, int64_t bottom) const {
        RegionBuilder builder;
        std::vector<Span> spans, previous;
        int64_t runTop = top;  // first of the rows whose spans are in previous
        auto flush = [&](int64_t runBottom) {
            for (const Span& s : previous)
                builder.Add(s.Left, static_cast<int32_t>(runTop), s.Right, static_cast<int32_t>(runBottom));
        };
        for (int64_t y = top; y < bottom; ++y) {
            Spans(y, spans);
            if (spans != previous) {
                flush(y);
                previous.swap(spans);
                runTop = y;
            }
        }
        flush(bottom);
        return builder.Build();
    }

private:
    int64_t W_, N_, Wq_, Hq_;
    Rect box_;
    std::vector<Span> rows_;
};

// The lattice triangles' union cut to the picture (0, 0, W, H), the only part a clip
// can show.
//
// Rows that only lattice rows 0..N cross (neither i = -1 nor i = N + 1 would) repeat
// every H′ rows: such a row and the one H′ below meet the same template rows. Those are
// made once, as a slab of H′ rows, and the copies appended below each other; the few
// rows at the top and bottom edges are made one by one. This keeps a frame linear in
// the size of the result, where uniting thousands of triangle regions (over a million
// at a large Step) would not.
Region LatticeRegion(int64_t W, int64_t H, int64_t N, int64_t Wq, int64_t Hq, int64_t PWq,
                     int64_t PHq) {
    if (W <= 0 || H <= 0) return Region();
    const LatticeRows rows(W, N, Wq, Hq, PWq, PHq);
    if (rows.Empty()) return Region();
    if (Hq == 0) return rows.Build(0, H);
    const int64_t first = std::clamp<int64_t>(rows.Bottom() - Hq, 0, H);
    const int64_t end = std::clamp<int64_t>((N + 1) * Hq + rows.Top(), first, H);
    const int64_t copies = (end - first) / Hq;
    if (copies < 2) return rows.Build(0, H);
    Region result = rows.Build(0, first);
    const Region slab = rows.Build(first, first + Hq);
    for (int64_t k = 0; k < copies; ++k) {
        Region piece = slab;
        piece.Offset(0, static_cast<int32_t>(k * Hq));
        result |= piece;  // below everything so far: appended in place
    }
    result |= rows.Build(first + copies * Hq, H);
    return result;
}

// Style 117: a lattice of (N + 1) x (N + 1) points spaced W′ = W div N across and
// H′ = H div N down, N = S div 2 (S itself when S is 1). About each point grows a right
// triangle, right angle top left, legs 2PW′ across and 2PH′ down (PW′ = PW div N,
// PH′ = PH div N), its long side through the point; near the end they overlap into a
// full cover.
//
// S is 0 on a picture whose longer side times Step is under 45, and N would be 0. The
// style then uses the coarsest lattice, N = 1, the one that S = 1 to 3 give as well:
// four triangles growing about the picture's corners. A lattice pitch of 0 (a side
// shorter than N) makes PW′ or PH′ 0 as well, and no triangle shows.
void TriangularShredToTopLeft(Bitmap& Screen, const Bitmap& Image, const Rect& R, uint16_t Step,
                              uint8_t Progress) {
    const ProgressExtents g = ProgressGeometry(R, Step, Progress);
    int64_t N = g.S;
    if (N > 1) N /= 2;
    if (N < 1) N = 1;
    ClipAndDraw(Screen, LatticeRegion(g.W, g.H, N, g.W / N, g.H / N, g.PW / N, g.PH / N), Image);
}

constexpr StyleProc kProcs[] = {
    {110, &TriangleReveal<110>}, {111, &TriangleReveal<111>}, {112, &TriangleReveal<112>},
    {113, &TriangleReveal<113>}, {114, &TriangleReveal<114>}, {115, &TriangleReveal<115>},
    {116, &TriangleReveal<116>}, {117, &TriangularShredToTopLeft},
};

}  // namespace

constinit const FamilyProcs kTriangleReveals = kProcs;

}  // namespace kv
