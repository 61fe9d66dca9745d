#include "tools/artwork/ArtPaint.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "common/Error.h"
#include "common/Files.h"
#include "graphics/ImageFile.h"
#include "graphics/Resample.h"

namespace kv::art {

Rgb Mix(Rgb a, Rgb b, float t) { return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t}; }

Rgb ReadPixel(const Bitmap& b, int x, int y) {
    const uint8_t* p = b.ScanLine(y) + x * 4;
    return {static_cast<float>(p[2]), static_cast<float>(p[1]), static_cast<float>(p[0])};
}

void WritePixel(Bitmap& b, int x, int y, Rgb c) {
    uint8_t* p = b.ScanLine(y) + x * 4;
    auto clamp = [](float v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
    p[0] = clamp(c.B);
    p[1] = clamp(c.G);
    p[2] = clamp(c.R);
}

void BlendPixel(Bitmap& b, int x, int y, Rgb c, float alpha) {
    if (x < 0 || y < 0 || x >= b.Width() || y >= b.Height() || alpha <= 0) return;
    WritePixel(b, x, y, Mix(ReadPixel(b, x, y), c, std::min(alpha, 1.0f)));
}

void PaintCoverage(Bitmap& b, int x0, int y0, int x1, int y1, const std::function<float(float, float)>& coverage,
                   const std::function<Rgb(float, float)>& colour, float opacity) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, b.Width());
    y1 = std::min(y1, b.Height());
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float c = coverage(px, py);
            if (c > 0) BlendPixel(b, x, y, colour(px, py), c * opacity);
        }
}

float DiscCoverage(float x, float y, float cx, float cy, float r) {
    const float d = std::hypot(x - cx, y - cy);
    return std::clamp(r - d + 0.5f, 0.0f, 1.0f);
}

float RoundRectDistance(float x, float y, float left, float top, float right, float bottom, float radius) {
    const float cx = (left + right) / 2, cy = (top + bottom) / 2;
    const float hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
    const float qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float RoundRectCoverage(float x, float y, float left, float top, float right, float bottom, float radius) {
    return std::clamp(0.5f - RoundRectDistance(x, y, left, top, right, bottom, radius), 0.0f, 1.0f);
}

void DropShadow(Bitmap& b, float left, float top, float right, float bottom, float radius, float spread,
                float opacity) {
    PaintCoverage(
        b, static_cast<int>(left - spread), static_cast<int>(top - spread), static_cast<int>(right + spread) + 1,
        static_cast<int>(bottom + spread) + 1,
        [&](float x, float y) {
            const float d = RoundRectDistance(x, y, left, top, right, bottom, radius);
            if (d <= 0) return 1.0f;
            const float t = std::clamp(1.0f - d / spread, 0.0f, 1.0f);
            return t * t;
        },
        [](float, float) { return Rgb{0, 0, 0}; }, opacity);
}

namespace {
Bitmap BoxBlurPass(const Bitmap& s, int r, bool horizontal) {
    Bitmap out(s.Width(), s.Height());
    const int w = s.Width(), h = s.Height();
    const int lines = horizontal ? h : w, length = horizontal ? w : h;
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < length; ++i) {
            float sum[3] = {0, 0, 0};
            int n = 0;
            for (int k = std::max(0, i - r); k <= std::min(length - 1, i + r); ++k, ++n) {
                const Rgb c = horizontal ? ReadPixel(s, k, line) : ReadPixel(s, line, k);
                sum[0] += c.R;
                sum[1] += c.G;
                sum[2] += c.B;
            }
            const Rgb avg{sum[0] / n, sum[1] / n, sum[2] / n};
            if (horizontal) {
                WritePixel(out, i, line, avg);
            } else {
                WritePixel(out, line, i, avg);
            }
        }
    }
    return out;
}
}  // namespace

Bitmap Blur(const Bitmap& source, int radius) {
    Bitmap b = source;
    for (int pass = 0; pass < 3; ++pass) b = BoxBlurPass(BoxBlurPass(b, radius, true), radius, false);
    return b;
}

Bitmap CoverCrop(const Bitmap& photo, int w, int h, float focusX, float focusY) {
    const double scale = std::max(static_cast<double>(w) / photo.Width(), static_cast<double>(h) / photo.Height());
    const int sw = std::max(w, static_cast<int>(std::lround(photo.Width() * scale)));
    const int sh = std::max(h, static_cast<int>(std::lround(photo.Height() * scale)));
    const Bitmap scaled = ScaleBitmap(photo, sw, sh);
    const int ox = static_cast<int>((sw - w) * focusX), oy = static_cast<int>((sh - h) * focusY);
    Bitmap out(w, h);
    for (int y = 0; y < h; ++y) std::copy_n(scaled.ScanLine(y + oy) + ox * 4, w * 4, out.ScanLine(y));
    return out;
}

Bitmap LoadPhoto(const std::filesystem::path& path) { return LoadImageFile(path); }

// ---------------------------------------------------------------------------------------
// The stroke font. Glyphs are polylines on a grid whose capitals stand 7 units tall (0 at
// the top, 7 on the base line) and whose small letters stand 4 units (3 to 7).
namespace {

struct Glyph {
    float Width;
    std::vector<std::vector<std::pair<float, float>>> Strokes;
};

std::vector<std::pair<float, float>> Arc(float cx, float cy, float rx, float ry, float fromDeg, float toDeg) {
    std::vector<std::pair<float, float>> points;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        const float a = (fromDeg + (toDeg - fromDeg) * i / steps) * 3.14159265f / 180.0f;
        points.emplace_back(cx + rx * std::cos(a), cy - ry * std::sin(a));
    }
    return points;
}

std::vector<std::pair<float, float>> Join(std::vector<std::pair<float, float>> a,
                                          const std::vector<std::pair<float, float>>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An "s" in the box [0, w] x [top, bottom].
std::vector<std::pair<float, float>> SCurve(float w, float top, float bottom) {
    const float h = bottom - top, r = h / 4;
    auto upper = Arc(w / 2, top + r, w / 2 - 0.1f, r, 20, 270);
    auto lower = Arc(w / 2, bottom - r, w / 2 - 0.1f, r, 90, -160);
    return Join(upper, lower);
}

const std::map<char, Glyph>& Glyphs() {
    static const std::map<char, Glyph> glyphs = [] {
        std::map<char, Glyph> g;
        g[' '] = {2.2f, {}};
        g['.'] = {0.4f, {{{0.2f, 6.8f}, {0.2f, 7.0f}}}};
        g['A'] = {5, {{{0, 7}, {2.5f, 0}, {5, 7}}, {{0.9f, 4.6f}, {4.1f, 4.6f}}}};
        g['C'] = {4.8f, {Arc(3.2f, 3.5f, 3.2f, 3.5f, 50, 310)}};
        g['E'] = {3.8f, {{{3.8f, 0}, {0, 0}, {0, 7}, {3.8f, 7}}, {{0, 3.5f}, {3.2f, 3.5f}}}};
        g['I'] = {0, {{{0, 0}, {0, 7}}}};
        g['K'] = {4.2f, {{{0, 0}, {0, 7}}, {{4.1f, 0}, {0, 4.4f}}, {{1.4f, 3.0f}, {4.3f, 7}}}};
        g['L'] = {3.6f, {{{0, 0}, {0, 7}, {3.6f, 7}}}};
        g['N'] = {4.4f, {{{0, 7}, {0, 0}, {4.4f, 7}, {4.4f, 0}}}};
        g['R'] = {4.2f, {Join(Join({{0, 7}, {0, 0}, {2.3f, 0}}, Arc(2.3f, 1.85f, 1.85f, 1.85f, 90, -90)), {{0, 3.7f}}),
                         {{2.2f, 3.7f}, {4.2f, 7}}}};
        g['S'] = {4.2f, {SCurve(4.2f, 0, 7)}};
        g['T'] = {4.6f, {{{0, 0}, {4.6f, 0}}, {{2.3f, 0}, {2.3f, 7}}}};
        g['V'] = {5, {{{0, 0}, {2.5f, 7}, {5, 0}}}};
        g['a'] = {3.6f, {Arc(1.8f, 5.0f, 1.8f, 2.0f, 0, 360), {{3.6f, 3}, {3.6f, 7}}}};
        g['c'] = {3.4f, {Arc(2.0f, 5.0f, 2.0f, 2.0f, 45, 315)}};
        g['e'] = {3.8f, {Join({{0.05f, 5.0f}, {3.75f, 5.0f}}, Arc(1.9f, 5.0f, 1.85f, 2.0f, 0, 310))}};
        g['i'] = {0, {{{0, 3}, {0, 7}}, {{0, 1.1f}, {0, 1.3f}}}};
        g['k'] = {3.2f, {{{0, 0}, {0, 7}}, {{3.1f, 3}, {0, 5.4f}}, {{1.1f, 4.6f}, {3.3f, 7}}}};
        g['l'] = {0, {{{0, 0}, {0, 7}}}};
        g['n'] = {3.4f, {{{0, 3}, {0, 7}}, Join(Join({{0, 4.8f}}, Arc(1.7f, 4.7f, 1.7f, 1.7f, 180, 0)), {{3.4f, 7}})}};
        g['o'] = {4, {Arc(2, 5, 2, 2, 0, 360)}};
        g['r'] = {2.4f, {{{0, 3}, {0, 7}}, Join({{0, 5.2f}}, Arc(2.2f, 5.2f, 2.2f, 2.0f, 180, 85))}};
        g['s'] = {3.2f, {SCurve(3.2f, 3, 7)}};
        g['t'] = {2.4f, {Join({{0.9f, 0.8f}, {0.9f, 6.0f}}, Arc(2.0f, 6.0f, 1.1f, 1.0f, 180, 280)), {{0, 3}, {2.4f, 3}}}};
        g['v'] = {3.6f, {{{0, 3}, {1.8f, 7}, {3.6f, 3}}}};
        g['w'] = {5.4f, {{{0, 3}, {1.3f, 7}, {2.7f, 3.6f}, {4.1f, 7}, {5.4f, 3}}}};
        return g;
    }();
    return glyphs;
}

const Glyph& GlyphOf(char c) {
    auto it = Glyphs().find(c);
    if (it == Glyphs().end()) throw Error(std::string("the stroke font has no letter '") + c + "'");
    return it->second;
}

float Gap(const TextStyle& s) { return 1.5f * s.Size / 7 + s.Weight + s.Tracking; }

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
    const float dx = bx - ax, dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    const float t = len2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0f, 1.0f) : 0.0f;
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

}  // namespace

float TextWidth(std::string_view text, const TextStyle& style) {
    const float unit = style.Size / 7;
    float w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        w += GlyphOf(text[i]).Width * unit;
        if (i + 1 < text.size()) w += Gap(style);
    }
    return w + style.Weight;
}

void DrawText(Bitmap& b, float x, float y, std::string_view text, const TextStyle& style) {
    const float unit = style.Size / 7, half = style.Weight / 2;
    struct Segment {
        float Ax, Ay, Bx, By;
    };
    std::vector<Segment> segments;
    float pen = x + half;
    for (char c : text) {
        const Glyph& g = GlyphOf(c);
        for (const auto& stroke : g.Strokes)
            for (size_t i = 0; i + 1 < stroke.size(); ++i)
                segments.push_back({pen + stroke[i].first * unit, y + stroke[i].second * unit,
                                    pen + stroke[i + 1].first * unit, y + stroke[i + 1].second * unit});
        pen += g.Width * unit + Gap(style);
    }
    const int x0 = static_cast<int>(x) - 2, x1 = static_cast<int>(pen) + 2;
    const int y0 = static_cast<int>(y) - 2, y1 = static_cast<int>(y + style.Size * 10 / 7) + 2;
    PaintCoverage(
        b, x0, y0, x1, y1,
        [&](float px, float py) {
            float d = 1e9f;
            for (const Segment& s : segments) d = std::min(d, SegmentDistance(px, py, s.Ax, s.Ay, s.Bx, s.By));
            return std::clamp(half - d + 0.5f, 0.0f, 1.0f);
        },
        [&](float, float) { return style.Colour; }, style.Opacity);
}

// ---------------------------------------------------------------------------------------
void WriteIcon(const std::filesystem::path& path, const std::vector<Bitmap>& images) {
    Bytes out;
    auto put16 = [&](unsigned v) { out.push_back(v & 0xFF); out.push_back((v >> 8) & 0xFF); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
    put16(0);
    put16(1);
    put16(static_cast<unsigned>(images.size()));
    std::vector<Bytes> bodies;
    for (const Bitmap& img : images) {
        const int n = img.Width();
        if (n != img.Height() || n < 1 || n > 256) throw Error("icon images must be square, 1 to 256 pixels");
        Bytes body;
        auto b16 = [&](unsigned v) { body.push_back(v & 0xFF); body.push_back((v >> 8) & 0xFF); };
        auto b32 = [&](uint32_t v) { b16(v & 0xFFFF); b16(v >> 16); };
        const int maskStride = ((n + 31) / 32) * 4;
        b32(40); b32(n); b32(n * 2); b16(1); b16(32); b32(0);
        b32(static_cast<uint32_t>(n * n * 4 + maskStride * n)); b32(0); b32(0); b32(0); b32(0);
        for (int y = n - 1; y >= 0; --y) body.insert(body.end(), img.ScanLine(y), img.ScanLine(y) + n * 4);
        for (int y = n - 1; y >= 0; --y) {
            Bytes row(maskStride, 0);
            for (int x = 0; x < n; ++x)
                if (img.ScanLine(y)[x * 4 + 3] == 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            body.insert(body.end(), row.begin(), row.end());
        }
        bodies.push_back(std::move(body));
    }
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int n = images[i].Width();
        out.push_back(static_cast<uint8_t>(n == 256 ? 0 : n));
        out.push_back(static_cast<uint8_t>(n == 256 ? 0 : n));
        out.push_back(0);
        out.push_back(0);
        put16(1);
        put16(32);
        put32(static_cast<uint32_t>(bodies[i].size()));
        put32(offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const Bytes& b : bodies) out.insert(out.end(), b.begin(), b.end());
    WriteFileBytes(path, out);
}

}  // namespace kv::art
