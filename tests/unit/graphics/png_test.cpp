#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <zlib.h>

#include "common/Error.h"
#include "graphics/Png.h"

namespace {

// ---------------------------------------------------------------------------
// A small independent PNG writer for fixtures: any colour type, bit depth and
// interlacing, every row with a different filter, the image data split over several
// IDAT chunks (one of them empty).

void PutBe32(kv::Bytes& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void AddChunk(kv::Bytes& out, const std::string& type, const kv::Bytes& body) {
    PutBe32(out, static_cast<uint32_t>(body.size()));
    kv::Bytes typed(type.begin(), type.end());
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBe32(out, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

struct Chunk {
    std::string type;
    kv::Bytes body;
};

struct PngLayout {
    uint32_t width, height;
    int depth, colourType;
    bool interlaced;
    std::function<unsigned(uint32_t x, uint32_t y, int channel)> sample;  // at the file's depth
    std::vector<Chunk> extra;  // written between IHDR and IDAT (PLTE, tRNS)
};

int Channels(int colourType) { return colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1; }

int PaethPredict(int a, int b, int c) {
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// The filtered scanlines (filter byte + row) of the whole image, pass after pass.
kv::Bytes RawImageData(const PngLayout& s) {
    struct Pass { uint32_t x0, y0, dx, dy; };
    std::vector<Pass> passes = {{0, 0, 1, 1}};
    if (s.interlaced)
        passes = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    const int channels = Channels(s.colourType);
    const size_t bpp = std::max(1, s.depth * channels / 8);
    kv::Bytes out;
    int rowNumber = 0;
    for (const Pass& p : passes) {
        if (p.x0 >= s.width || p.y0 >= s.height) continue;
        uint32_t columns = (s.width - p.x0 + p.dx - 1) / p.dx;
        size_t length = (static_cast<size_t>(columns) * channels * s.depth + 7) / 8;
        kv::Bytes prior(length, 0);
        for (uint32_t y = p.y0; y < s.height; y += p.dy) {
            kv::Bytes row(length, 0);
            size_t bit = 0;
            for (uint32_t i = 0; i < columns; ++i)
                for (int c = 0; c < channels; ++c, bit += s.depth) {
                    unsigned v = s.sample(p.x0 + i * p.dx, y, c);
                    if (s.depth == 16) {
                        row[bit / 8] = static_cast<uint8_t>(v >> 8);
                        row[bit / 8 + 1] = static_cast<uint8_t>(v);
                    } else {
                        row[bit / 8] |= static_cast<uint8_t>(v << (8 - s.depth - bit % 8));
                    }
                }
            int filter = rowNumber++ % 5;
            out.push_back(static_cast<uint8_t>(filter));
            for (size_t i = 0; i < length; ++i) {
                int a = i >= bpp ? row[i - bpp] : 0, b = prior[i], c = i >= bpp ? prior[i - bpp] : 0;
                int pred = filter == 0 ? 0 : filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2
                                                                                  : PaethPredict(a, b, c);
                out.push_back(static_cast<uint8_t>(row[i] - pred));
            }
            prior = row;
        }
    }
    return out;
}

kv::Bytes Compress(const kv::Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    kv::Bytes z(size);
    EXPECT_EQ(compress(z.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
    z.resize(size);
    return z;
}

kv::Bytes Header(const PngLayout& s) {
    kv::Bytes h;
    PutBe32(h, s.width);
    PutBe32(h, s.height);
    h.insert(h.end(), {static_cast<uint8_t>(s.depth), static_cast<uint8_t>(s.colourType), 0, 0,
                       static_cast<uint8_t>(s.interlaced ? 1 : 0)});
    return h;
}

kv::Bytes AssemblePng(const kv::Bytes& header, const std::vector<Chunk>& extra, const kv::Bytes& zdata) {
    kv::Bytes png = {137, 80, 78, 71, 13, 10, 26, 10};
    AddChunk(png, "IHDR", header);
    for (const Chunk& c : extra) AddChunk(png, c.type, c.body);
    for (size_t at = 0; at < zdata.size(); at += 13) {
        AddChunk(png, "IDAT", kv::Bytes(zdata.begin() + at, zdata.begin() + std::min(zdata.size(), at + 13)));
        if (at == 13) AddChunk(png, "IDAT", {});
    }
    AddChunk(png, "IEND", {});
    return png;
}

kv::Bytes BuildPng(const PngLayout& s) { return AssemblePng(Header(s), s.extra, Compress(RawImageData(s))); }

std::string ErrorOf(const kv::Bytes& png) {
    try {
        kv::DecodePng(png);
    } catch (const kv::Error& e) {
        return e.what();
    }
    return "(accepted)";
}

// ---------------------------------------------------------------------------

uint32_t Bgra(unsigned r, unsigned g, unsigned b, unsigned a) { return a << 24 | r << 16 | g << 8 | b; }

TEST(Png, DecodesEveryColourTypeDepthAndInterlace) {
    const Chunk palette = {"PLTE", {255, 0, 0, /**/ 0, 255, 0, /**/ 0, 0, 255, /**/ 10, 20, 30}};
    const Chunk paletteAlpha = {"tRNS", {0, 128}};  // entries 2 and 3 stay opaque
    const uint32_t colours[4] = {Bgra(255, 0, 0, 0), Bgra(0, 255, 0, 128), Bgra(0, 0, 255, 255), Bgra(10, 20, 30, 255)};
    auto level = [](uint32_t x, uint32_t y, int c, unsigned max) { return (x * 7 + y * 3 + c * 5) % (max + 1); };

    struct Case {
        const char* name;
        PngLayout layout;
        std::function<uint32_t(uint32_t x, uint32_t y)> expected;
    };
    const std::vector<Case> cases = {
        {"RGB 8",
         {7, 5, 8, 2, false, [](uint32_t x, uint32_t y, int c) { return (x * 40 + y * 13 + c * 90) % 256; }, {}},
         [](uint32_t x, uint32_t y) {
             return Bgra((x * 40 + y * 13) % 256, (x * 40 + y * 13 + 90) % 256, (x * 40 + y * 13 + 180) % 256, 255);
         }},
        {"RGBA 8 interlaced",
         {9, 9, 8, 6, true, [](uint32_t x, uint32_t y, int c) { return (x * 29 + y * 31 + c * 61) % 256; }, {}},
         [](uint32_t x, uint32_t y) {
             unsigned v = x * 29 + y * 31;
             return Bgra(v % 256, (v + 61) % 256, (v + 122) % 256, (v + 183) % 256);
         }},
        {"RGBA 16 interlaced",  // rounded to 8 bits
         {10, 11, 16, 6, true, [](uint32_t x, uint32_t y, int c) { return c == 3 ? 0x8080u : x * 6553 + y * 257 + c; }, {}},
         [](uint32_t x, uint32_t y) {
             auto r8 = [](unsigned v) { return (v * 255 + 32767) / 65535; };
             unsigned v = x * 6553 + y * 257;
             return Bgra(r8(v), r8(v + 1), r8(v + 2), 0x80);
         }},
        {"grey 1",
         {10, 3, 1, 0, false, [](uint32_t x, uint32_t y, int) { return (x + y) % 3 == 0 ? 1u : 0u; }, {}},
         [](uint32_t x, uint32_t y) { return (x + y) % 3 == 0 ? 0xFFFFFFFFu : 0xFF000000u; }},
        {"grey 2 interlaced",
         {6, 6, 2, 0, true, [&](uint32_t x, uint32_t y, int c) { return level(x, y, c, 3); }, {}},
         [&](uint32_t x, uint32_t y) { unsigned g = level(x, y, 0, 3) * 85; return Bgra(g, g, g, 255); }},
        {"grey 4 with colour key",
         {5, 4, 4, 0, false, [&](uint32_t x, uint32_t y, int c) { return level(x, y, c, 15); }, {{"tRNS", {0, 9}}}},
         [&](uint32_t x, uint32_t y) {
             unsigned v = level(x, y, 0, 15);
             return Bgra(v * 17, v * 17, v * 17, v == 9 ? 0 : 255);
         }},
        {"grey 16 with colour key",
         {4, 3, 16, 0, false, [](uint32_t x, uint32_t y, int) { return x * 0x4000u + y; }, {{"tRNS", {0x40, 0x01}}}},
         [](uint32_t x, uint32_t y) {
             unsigned v = x * 0x4000u + y, g = (v * 255 + 32767) / 65535;
             return Bgra(g, g, g, v == 0x4001 ? 0 : 255);
         }},
        {"RGB 16 with colour key",
         {3, 2, 16, 2, false, [](uint32_t x, uint32_t y, int c) { return (x + y) * 0x1111u + c; },
          {{"tRNS", {0x22, 0x22, 0x22, 0x23, 0x22, 0x24}}}},
         [](uint32_t x, uint32_t y) {
             unsigned v = (x + y) * 0x1111u;
             auto r8 = [](unsigned s) { return (s * 255 + 32767) / 65535; };
             return Bgra(r8(v), r8(v + 1), r8(v + 2), x + y == 2 ? 0 : 255);
         }},
        {"grey+alpha 8",
         {4, 4, 8, 4, false, [](uint32_t x, uint32_t y, int c) { return c == 0 ? x * 60 : y * 80; }, {}},
         [](uint32_t x, uint32_t y) { return Bgra(x * 60, x * 60, x * 60, y * 80); }},
        {"palette 2 with tRNS",
         {5, 3, 2, 3, false, [](uint32_t x, uint32_t y, int) { return (x + y) % 4; }, {palette, paletteAlpha}},
         [&](uint32_t x, uint32_t y) { return colours[(x + y) % 4]; }},
        {"palette 8 interlaced with tRNS",
         {13, 7, 8, 3, true, [](uint32_t x, uint32_t y, int) { return (x * y) % 4; }, {palette, paletteAlpha}},
         [&](uint32_t x, uint32_t y) { return colours[(x * y) % 4]; }},
        {"palette 4, index past the table",
         {3, 1, 4, 3, false, [](uint32_t x, uint32_t, int) { return x * 7; }, {palette}},
         [](uint32_t x, uint32_t) { return x == 0 ? Bgra(255, 0, 0, 255) : 0xFF000000u; }},
        {"1x1 interlaced",
         {1, 1, 8, 2, true, [](uint32_t, uint32_t, int c) { return 100u + c; }, {}},
         [](uint32_t, uint32_t) { return Bgra(100, 101, 102, 255); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kv::Bitmap b = kv::DecodePng(BuildPng(c.layout));
        ASSERT_EQ(b.Width(), static_cast<int>(c.layout.width));
        ASSERT_EQ(b.Height(), static_cast<int>(c.layout.height));
        for (uint32_t y = 0; y < c.layout.height; ++y)
            for (uint32_t x = 0; x < c.layout.width; ++x)
                ASSERT_EQ(b.Pixel(x, y), c.expected(x, y)) << std::hex << "at " << std::dec << x << "," << y;
    }
}

kv::Bitmap Photo(int w, int h) {
    kv::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, static_cast<uint32_t>((x * 3 + y * 5) % 256) << 24 | (x * 255 / w) << 16 |
                                 (y * 255 / h) << 8 | ((x ^ y) & 0xFF));
    return b;
}

TEST(Png, EncodeDecodeRoundTrip) {
    kv::Bitmap src = Photo(61, 33);
    kv::Bitmap withAlpha = kv::DecodePng(kv::EncodePng(src, true));
    EXPECT_EQ(withAlpha, src);

    kv::Bitmap opaque = kv::DecodePng(kv::EncodePng(src));
    ASSERT_EQ(opaque.Width(), 61);
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 61; ++x) ASSERT_EQ(opaque.Pixel(x, y), src.Pixel(x, y) | 0xFF000000u);

    // A larger picture spreads its data over several IDAT chunks.
    kv::Bitmap big = Photo(700, 400);
    EXPECT_EQ(kv::DecodePng(kv::EncodePng(big, true)), big);
    EXPECT_THROW(kv::EncodePng(kv::Bitmap()), kv::Error);
}

TEST(Png, RejectsMalformedFiles) {
    const PngLayout layout = {6, 4, 8, 2, false, [](uint32_t x, uint32_t y, int c) { return x * 9 + y + c; }, {}};
    const kv::Bytes good = BuildPng(layout);
    ASSERT_NO_THROW(kv::DecodePng(good));
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_EQ(ErrorOf(kv::Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n))),
                  "PNG image is not valid")
            << "truncated to " << n;

    auto withHeader = [&](size_t at, uint8_t value) {
        kv::Bytes h = Header(layout);
        h[at] = value;
        return AssemblePng(h, {}, Compress(RawImageData(layout)));
    };
    const kv::Bytes raw = RawImageData(layout);
    kv::Bytes badFilter = raw;
    badFilter[0] = 5;
    kv::Bytes flippedCrc = good;
    flippedCrc[8 + 8 + 13 + 2] ^= 1;  // inside IHDR's CRC
    kv::Bytes flippedData = good;
    flippedData[8 + 25 + 8 + 4] ^= 0x10;  // a compressed byte of the first IDAT
    kv::Bytes signature = good;
    signature[1] = 'Q';
    kv::Bytes hugeLength = good;
    hugeLength[8] = 0x80;  // IHDR length 0x8000000D

    const std::vector<std::pair<const char*, kv::Bytes>> cases = {
        {"signature", signature},
        {"chunk CRC", flippedCrc},
        {"image data CRC", flippedData},
        {"chunk length", hugeLength},
        {"zero width", withHeader(3, 0)},
        {"width over the limit", AssemblePng({0, 0, 0x80, 1, 0, 0, 0, 4, 8, 2, 0, 0, 0}, {}, Compress(raw))},
        {"width near 2^32", AssemblePng({0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 4, 8, 2, 0, 0, 0}, {}, Compress(raw))},
        // Far too little data for the size: refused before 4 GiB are allocated.
        {"large picture, little data", AssemblePng({0, 0, 0x80, 0, 0, 0, 0x80, 0, 8, 6, 0, 0, 0}, {}, Compress(raw))},
        {"bit depth 3", withHeader(8, 3)},
        {"RGB at 4 bits", withHeader(8, 4)},
        {"colour type 5", withHeader(9, 5)},
        {"compression method", withHeader(10, 1)},
        {"filter method", withHeader(11, 1)},
        {"interlace method", withHeader(12, 2)},
        {"filter type 5", AssemblePng(Header(layout), {}, Compress(badFilter))},
        {"image data too short", AssemblePng(Header(layout), {}, Compress(kv::Bytes(raw.begin(), raw.end() - 4)))},
        {"no image data", AssemblePng(Header(layout), {}, {})},
        {"not a zlib stream", AssemblePng(Header(layout), {}, kv::Bytes(40, 0x5A))},
        {"unknown critical chunk", AssemblePng(Header(layout), {{"ZZZZ", {1}}}, Compress(raw))},
        {"palette missing", withHeader(9, 3)},
        {"palette on grey", AssemblePng(Header({6, 4, 8, 0, false, {}, {}}), {{"PLTE", {1, 2, 3}}}, Compress(raw))},
        {"IHDR not first", [&] {
             kv::Bytes png = {137, 80, 78, 71, 13, 10, 26, 10};
             AddChunk(png, "tEXt", {'a', 0, 'b'});
             kv::Bytes rest = AssemblePng(Header(layout), {}, Compress(raw));
             png.insert(png.end(), rest.begin() + 8, rest.end());
             return png;
         }()},
    };
    for (const auto& [name, png] : cases) EXPECT_EQ(ErrorOf(png), "PNG image is not valid") << name;

    // Ancillary chunks that we do not know are skipped.
    EXPECT_EQ(ErrorOf(AssemblePng(Header(layout), {{"zzZz", {1, 2}}}, Compress(raw))), "(accepted)");
}

}  // namespace
