#include "transitions/EffectHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {

namespace {

int32_t ToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Adds the rectangle (l, t) .. (r, b), computed in 64 bits, to a builder.
void AddRect(RegionBuilder& builder, int64_t l, int64_t t, int64_t r, int64_t b) {
    builder.Add(ToInt32(l), ToInt32(t), ToInt32(r), ToInt32(b));
}

}  // namespace

void ClipAndDraw(Bitmap& Screen, Region region, const Bitmap& Image) {
    Canvas& canvas = Screen.Canvas();
    CanvasLock lock(canvas);
    canvas.SelectClipRegion(std::move(region));
    struct NoClipOnExit {
        Canvas& canvas;
        ~NoClipOnExit() { canvas.SelectNoClip(); }
    } restore{canvas};
    canvas.Draw(0, 0, Image);
}

ProgressExtents ProgressGeometry(const Rect& R, uint16_t Step, uint8_t Progress) {
    ProgressExtents g{};
    g.W = std::max(R.Width(), 0);
    g.H = std::max(R.Height(), 0);
    if (g.W == 0 && g.H == 0) return g;
    if (g.W >= g.H) {
        g.PW = MulDiv(g.W, Progress, 100);
        g.PH = MulDiv(g.PW, g.H, g.W);
        g.S = MulDiv(g.W, Step, 90);
    } else {
        g.PH = MulDiv(g.H, Progress, 100);
        g.PW = MulDiv(g.PH, g.W, g.H);
        g.S = MulDiv(g.H, Step, 90);
    }
    return g;
}

void MirrorCopy(Canvas& canvas, Rect D, const Bitmap& bitmap, Rect S, bool mirrorLeftRight,
                bool mirrorTopBottom) {
    S = S.Intersect(Rect{0, 0, bitmap.Width(), bitmap.Height()});
    if (mirrorLeftRight) {
        int32_t left = ToInt32(int64_t{D.Right} + 1);
        D.Right = ToInt32(int64_t{D.Left} - 1);
        D.Left = left;
    }
    if (mirrorTopBottom) {
        int32_t top = ToInt32(int64_t{D.Bottom} + 1);
        D.Bottom = ToInt32(int64_t{D.Top} - 1);
        D.Top = top;
    }
    canvas.CopyRect(D, bitmap, S);
}

void BlendPixelsPlain(uint8_t* dest, const uint8_t* source, size_t pixels, uint32_t percent) {
    const uint32_t keep = 100 - percent;
    for (size_t i = 0; i < pixels; ++i, dest += 4, source += 4)
        for (int b = 0; b < 3; ++b)
            dest[b] = static_cast<uint8_t>((dest[b] * keep + source[b] * percent) / 100);
}

#if defined(__SSE2__)
void BlendPixels(uint8_t* dest, const uint8_t* source, size_t pixels, uint32_t percent) {
    // Sixteen bytes (four pixels) at a time in 16-bit lanes: t = d * keep + s * take stays
    // below 25600, and t div 100 = ((t * 41944) >> 16) >> 6 for every t <= 25599. The
    // fourth byte of each pixel is blended with the weights 100 and 0, which gives it back.
    const auto q = static_cast<short>(100 - percent), p = static_cast<short>(percent);
    const __m128i keep = _mm_set_epi16(100, q, q, q, 100, q, q, q);
    const __m128i take = _mm_set_epi16(0, p, p, p, 0, p, p, p);
    const __m128i reciprocal = _mm_set1_epi16(static_cast<short>(41944));
    const __m128i zero = _mm_setzero_si128();
    const size_t bytes = pixels * 4;
    size_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest + i));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), keep),
                                   _mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), take));
        __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), keep),
                                   _mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), take));
        lo = _mm_srli_epi16(_mm_mulhi_epu16(lo, reciprocal), 6);
        hi = _mm_srli_epi16(_mm_mulhi_epu16(hi, reciprocal), 6);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), _mm_packus_epi16(lo, hi));
    }
    BlendPixelsPlain(dest + i, source + i, (bytes - i) / 4, percent);
}
#else
void BlendPixels(uint8_t* dest, const uint8_t* source, size_t pixels, uint32_t percent) {
    BlendPixelsPlain(dest, source, pixels, percent);
}
#endif

void BlendBitmap(Bitmap& Dest, const Bitmap& Source, int32_t Percent) {
    const uint32_t p = static_cast<uint32_t>(std::clamp(Percent, 0, 100));
    const int w = std::min(Dest.Width(), Source.Width());
    const int h = std::min(Dest.Height(), Source.Height());
    if (w <= 0 || h <= 0) return;
    if (Dest.Width() == w && Source.Width() == w) {
        // Rows of equal width follow each other without a gap: one run.
        BlendPixels(Dest.Bits(), Source.Bits(), static_cast<size_t>(w) * static_cast<size_t>(h), p);
        return;
    }
    for (int y = 0; y < h; ++y)
        BlendPixels(Dest.ScanLine(y), Source.ScanLine(y), static_cast<size_t>(w), p);
}

namespace {

// Narrows [first, last] to the x for which lo <= t0 + d * x <= hi.
void ClipLinear(int64_t t0, int64_t d, int64_t lo, int64_t hi, int64_t& first, int64_t& last) {
    if (d > 0) {
        first = std::max(first, CeilDiv(lo - t0, d));
        last = std::min(last, FloorDiv(hi - t0, d));
    } else if (d < 0) {
        first = std::max(first, CeilDiv(t0 - hi, -d));
        last = std::min(last, FloorDiv(t0 - lo, -d));
    } else if (t0 < lo || t0 > hi) {
        last = first - 1;
    }
}

bool FitsInt32(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// One run of RotateBitmap: destination pixel k of the run takes source pixel number
// base + (tx_k >> 16) - (ty_k >> 16) * W, where tx_k = tx + k * C and ty_k = ty + k * S
// stay within 32 bits and every source pixel lies inside the picture. The pixel number
// is computed modulo 2^32, which gives it exactly as it is below 2^31.
void RotateRun(uint8_t* out, const uint8_t* src, size_t n, uint32_t tx, uint32_t ty, uint32_t C,
               uint32_t S, uint32_t base, int32_t W) {
    // hi(t): t as a signed 32-bit value, shifted arithmetically.
    auto hi = [](uint32_t t) { return static_cast<uint32_t>(static_cast<int32_t>(t) >> 16); };
    size_t k = 0;
#if defined(__SSE2__)
    // Four pixels at a time: the two 16-bit offsets of a pixel packed into one 32-bit
    // lane, (tx >> 16) in the low half and (ty >> 16) in the high half, times (1, -W) in
    // one multiply-add (W <= 32768, so -W fits in 16 bits).
    if (n >= 4) {
        auto lanes = [](uint32_t t, uint32_t d) {
            return _mm_setr_epi32(static_cast<int32_t>(t), static_cast<int32_t>(t + d),
                                  static_cast<int32_t>(t + 2 * d), static_cast<int32_t>(t + 3 * d));
        };
        __m128i vx = lanes(tx, C), vy = lanes(ty, S);
        const __m128i stepX = _mm_set1_epi32(static_cast<int32_t>(4 * C));
        const __m128i stepY = _mm_set1_epi32(static_cast<int32_t>(4 * S));
        const __m128i weights = _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(-W) << 16) | 1u));
        const __m128i vbase = _mm_set1_epi32(static_cast<int32_t>(base));
        const __m128i high = _mm_set1_epi32(static_cast<int32_t>(0xFFFF0000u));
        alignas(16) uint32_t index[4];
        for (; k + 4 <= n; k += 4) {
            const __m128i pair = _mm_or_si128(_mm_srli_epi32(vx, 16), _mm_and_si128(vy, high));
            _mm_store_si128(reinterpret_cast<__m128i*>(index),
                            _mm_add_epi32(_mm_madd_epi16(pair, weights), vbase));
            for (int i = 0; i < 4; ++i) std::memcpy(out + (k + i) * 4, src + size_t{index[i]} * 4, 4);
            vx = _mm_add_epi32(vx, stepX);
            vy = _mm_add_epi32(vy, stepY);
        }
        tx += static_cast<uint32_t>(k) * C;
        ty += static_cast<uint32_t>(k) * S;
    }
#endif
    for (; k < n; ++k, tx += C, ty += S) {
        const uint32_t index = base + hi(tx) - hi(ty) * static_cast<uint32_t>(W);
        std::memcpy(out + k * 4, src + size_t{index} * 4, 4);
    }
}

}  // namespace

void RotateBitmap(Bitmap& Dest, const Bitmap& Source, int32_t CX, int32_t CY, long double Angle) {
    const int32_t C = static_cast<int32_t>(Trunc(std::cos(-Angle) * 65536.0L));
    const int32_t S = static_cast<int32_t>(Trunc(std::sin(-Angle) * 65536.0L));
    const int32_t W = Source.Width();
    const int32_t H = Source.Height();
    const int32_t outW = std::min(W, Dest.Width());
    const int32_t outH = std::min(H, Dest.Height());
    if (outW <= 0 || outH <= 0) return;

    Bitmap copy;
    const Bitmap* src = &Source;
    if (&Dest == &Source) {
        copy = Source;
        src = &copy;
    }
    const uint8_t* srcBits = src->Bits();
    const size_t srcStride = src->Stride();
    const uint32_t c = static_cast<uint32_t>(C), s = static_cast<uint32_t>(S);
    auto hi = [](uint32_t t) { return static_cast<int16_t>(static_cast<uint16_t>(t >> 16)); };

    // Along a row the offsets tx = u * C - v * S and ty = u * S + v * C grow by C and S per
    // column. While their true values stay within 32 bits nothing wraps, hi(t) is t >> 16,
    // and the source pixel lies inside the picture exactly when tx and ty lie within the
    // bounds below: one run of columns per row, copied without further tests. Rows whose
    // offsets leave 32 bits, and pictures too large for RotateRun's pixel numbers, are
    // done pixel by pixel with the wrap-around arithmetic.
    const bool runs = W <= 32768 && int64_t{W} * H <= std::numeric_limits<int32_t>::max();
    const int64_t txLo = -int64_t{CX} * 65536, txHi = (int64_t{W} - CX) * 65536 - 1;
    const int64_t tyLo = -int64_t{CY} * 65536, tyHi = (int64_t{H} - CY) * 65536 - 1;
    // The source pixel number of (sx, sy) = (CX, CY), modulo 2^32.
    const uint32_t base = (static_cast<uint32_t>(H) - 1u - static_cast<uint32_t>(CY)) * static_cast<uint32_t>(W) +
                          static_cast<uint32_t>(CX);
    for (int32_t r = 0; r < outH; ++r) {
        uint8_t* out = Dest.Bits() + static_cast<size_t>(r) * Dest.Stride();
        const int64_t u0 = 1 - int64_t{CX};
        const int64_t v = int64_t{H} - r - CY;
        const int64_t tx0 = u0 * C - v * S, ty0 = u0 * S + v * C;
        const int64_t txEnd = tx0 + int64_t{outW - 1} * C, tyEnd = ty0 + int64_t{outW - 1} * S;
        if (runs && FitsInt32(tx0) && FitsInt32(ty0) && FitsInt32(txEnd) && FitsInt32(tyEnd)) {
            int64_t first = 0, last = outW - 1;
            ClipLinear(tx0, C, txLo, txHi, first, last);
            ClipLinear(ty0, S, tyLo, tyHi, first, last);
            if (first <= last)
                RotateRun(out + first * 4, srcBits, static_cast<size_t>(last - first + 1),
                          static_cast<uint32_t>(tx0 + first * C), static_cast<uint32_t>(ty0 + first * S),
                          c, s, base, W);
            continue;
        }
        // 32-bit wrap-around arithmetic throughout, advanced by C and S per column.
        const uint32_t u0w = 1u - static_cast<uint32_t>(CX);
        const uint32_t vw = static_cast<uint32_t>(H) - static_cast<uint32_t>(r) - static_cast<uint32_t>(CY);
        uint32_t tx = u0w * c - vw * s;
        uint32_t ty = u0w * s + vw * c;
        for (int32_t x = 0; x < outW; ++x, tx += c, ty += s) {
            const int64_t sx = int64_t{CX} + hi(tx);
            const int64_t sy = int64_t{CY} + hi(ty);
            if (sx >= 0 && sx < W && sy >= 0 && sy < H)
                std::memcpy(out + static_cast<size_t>(x) * 4,
                            srcBits + static_cast<size_t>(H - 1 - sy) * srcStride +
                                static_cast<size_t>(sx) * 4,
                            4);
        }
    }
}

void RotatePoints(std::span<Point> points, int32_t CX, int32_t CY, long double Angle) {
    const long double ca = std::cos(Angle), sa = std::sin(Angle);
    for (Point& p : points) {
        const long double dx = static_cast<long double>(int64_t{p.X} - CX);
        const long double dy = static_cast<long double>(int64_t{p.Y} - CY);
        p.X = ToInt32(Round(dx * ca - dy * sa) + CX);
        p.Y = ToInt32(Round(dx * sa + dy * ca) + CY);
    }
}

Region BarsRegion(int32_t X32, int32_t Y32, int32_t W32, int32_t H32, int32_t Snap,
                  int32_t HorzMode, int32_t VertMode) {
    const int64_t W = W32, H = H32;
    RegionBuilder builder;

    // Horizontal bars (rows).
    int64_t X = X32;
    const bool horzSecond = X > W;
    if (!horzSecond && X + Snap > W) X = W;
    for (int64_t i = horzSecond ? 5 : 0; i < H + 5; i += 10) {
        if (horzSecond) {
            AddRect(builder, 0, i - 5, W, i);
            if (HorzMode == 1 || HorzMode == 4) AddRect(builder, 2 * W - X, i, W, i + 5);
            else if (HorzMode == 2 || HorzMode == 5) AddRect(builder, 0, i, X - W, i + 5);
        } else if (HorzMode == 1 || HorzMode == 5) {
            AddRect(builder, W - X, i, W, i + 5);
        } else if (HorzMode == 2 || HorzMode == 4) {
            AddRect(builder, 0, i, X, i + 5);
        } else if (HorzMode == 3) {
            AddRect(builder, 0, i + 5, X, i + 10);
            AddRect(builder, W - X, i, W, i + 5);
        }
    }

    // Vertical bars (columns), the same with the axes exchanged.
    int64_t Y = Y32;
    const bool vertSecond = Y > H;
    if (!vertSecond && Y + Snap > H) Y = H;
    for (int64_t j = vertSecond ? 5 : 0; j < W + 5; j += 10) {
        if (vertSecond) {
            AddRect(builder, j - 5, 0, j, H);
            if (VertMode == 1 || VertMode == 4) AddRect(builder, j, 2 * H - Y, j + 5, H);
            else if (VertMode == 2 || VertMode == 5) AddRect(builder, j, 0, j + 5, Y - H);
        } else if (VertMode == 1 || VertMode == 5) {
            AddRect(builder, j, H - Y, j + 5, H);
        } else if (VertMode == 2 || VertMode == 4) {
            AddRect(builder, j, 0, j + 5, Y);
        } else if (VertMode == 3) {
            AddRect(builder, j + 5, 0, j + 10, Y);
            AddRect(builder, j, H - Y, j + 5, H);
        }
    }
    return builder.Build();
}

Region ShredRegion(int32_t X32, int32_t Y32, int32_t W32, int32_t H32, int32_t HorzMode,
                   int32_t VertMode) {
    const int64_t X = X32, Y = Y32, W = W32, H = H32;
    RegionBuilder builder;
    if (HorzMode != 0) {
        const int32_t J = X < W ? W32 / 7 : 0;
        for (int64_t y = 0; y < H; y += 5) {
            const int64_t b = y + 5 + H % 5;
            const int64_t r1 = Random(J);
            const int64_t r2 = Random(J);
            switch (HorzMode) {
                case 1: AddRect(builder, W - X + r1 - r2, y, W, b); break;
                case 2: AddRect(builder, 0, y, X + r1 - r2, b); break;
                case 3: {
                    AddRect(builder, (W - X + r1 - r2) / 2, y, W / 2, b);
                    const int64_t r3 = Random(J);
                    const int64_t r4 = Random(J);
                    AddRect(builder, W / 2, y, (W + X + r3 - r4) / 2, b);
                    break;
                }
                default: {
                    AddRect(builder, W - (X + r1 - r2) / 2, y, W, b);
                    const int64_t r3 = Random(J);
                    const int64_t r4 = Random(J);
                    AddRect(builder, 0, y, (X + r3 - r4) / 2, b);
                    break;
                }
            }
        }
    }
    if (VertMode != 0) {
        const int32_t J = Y < H ? H32 / 7 : 0;
        for (int64_t x = 0; x < W; x += 5) {
            const int64_t e = x + 5 + W % 5;
            const int64_t r1 = Random(J);
            const int64_t r2 = Random(J);
            switch (VertMode) {
                case 1: AddRect(builder, x, H - Y + r1 - r2, e, H); break;
                case 2: AddRect(builder, x, 0, e, Y + r1 - r2); break;
                case 3: {
                    AddRect(builder, x, (H - Y + r1 - r2) / 2, e, H / 2);
                    const int64_t r3 = Random(J);
                    const int64_t r4 = Random(J);
                    AddRect(builder, x, H / 2, e, (H + Y + r3 - r4) / 2);
                    break;
                }
                default: {
                    AddRect(builder, x, H - (Y + r1 - r2) / 2, e, H);
                    const int64_t r3 = Random(J);
                    const int64_t r4 = Random(J);
                    AddRect(builder, x, 0, e, (Y + r3 - r4) / 2);
                    break;
                }
            }
        }
    }
    return builder.Build();
}

Region SpeckleRegion(int32_t X32, int32_t Y32, int32_t W32, int32_t H32, int32_t HorzMode,
                     int32_t VertMode) {
    const int64_t X = X32, Y = Y32, W = W32, H = H32;
    RegionBuilder builder;
    // Speckle size f, number of cells n and the limit t of the near cells for a zone
    // depth Z; f >= 2, so the band loops always advance.
    struct Cells {
        int64_t f, n, t;
    };
    auto cells = [](int64_t Z) {
        const int64_t f = std::max<int64_t>(Z / 20, 2);
        return Cells{f, Z / f, ((3 * Z) / f) / 4};
    };
    auto speckle = [](int64_t k, int64_t t) {
        const int64_t e = k <= t ? 1 : 0;
        return e >= Random(static_cast<int32_t>(k));
    };
    if (HorzMode != 0) {
        const Cells c = cells(X < W ? W / 10 : 0);
        for (int64_t y = 0; y < H; y += c.f / 2) {
            if (HorzMode == 1) {
                AddRect(builder, W - X, y, W, y + c.f);
                for (int64_t k = c.n; k >= 1; --k)
                    if (speckle(k, c.t))
                        AddRect(builder, W - X - c.f * k, y, W - X - c.f * k + c.f, y + c.f);
            } else {
                AddRect(builder, 0, y, X, y + c.f);
                for (int64_t k = c.n; k >= 1; --k)
                    if (speckle(k, c.t)) AddRect(builder, X + c.f * k - c.f, y, X + c.f * k, y + c.f);
            }
        }
    }
    if (VertMode != 0) {
        const Cells c = cells(Y < H ? H / 10 : 0);
        for (int64_t x = 0; x < W; x += c.f / 2) {
            if (VertMode == 1) {
                AddRect(builder, x, H - Y, x + c.f, H);
                for (int64_t k = c.n; k >= 1; --k)
                    if (speckle(k, c.t))
                        AddRect(builder, x, H - Y - c.f * k, x + c.f, H - Y - c.f * k + c.f);
            } else {
                AddRect(builder, x, 0, x + c.f, Y);
                for (int64_t k = c.n; k >= 1; --k)
                    if (speckle(k, c.t)) AddRect(builder, x, Y + c.f * k - c.f, x + c.f, Y + c.f * k);
            }
        }
    }
    return builder.Build();
}

Region TriangleRegion(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) {
    const Point points[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    return Region::Polygon(points);
}

Region SectorRegion(int32_t CX, int32_t CY, int32_t Radius, long double StartAngle,
                    long double EndAngle, int32_t Count) {
    if (Count <= 0) return Region();
    std::vector<Point> points(static_cast<size_t>(Count) + 1);
    points[0] = Point{CX, CY};
    const long double d = (EndAngle - StartAngle) / Count;
    for (int32_t i = 1; i <= Count; ++i) {
        const long double a = StartAngle + (i - 1) * d;
        points[static_cast<size_t>(i)] =
            Point{ToInt32(Round(Radius * std::cos(a)) + CX), ToInt32(Round(Radius * std::sin(a)) + CY)};
    }
    return Region::Polygon(points);
}

}  // namespace kv
