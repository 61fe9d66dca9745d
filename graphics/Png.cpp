#include "graphics/Png.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include <zlib.h>

#include "common/Error.h"

namespace kv {
namespace {

const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

enum ColourType { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

[[noreturn]] void Invalid() { throw Error("PNG image is not valid"); }

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}
unsigned Be16(const uint8_t* p) { return static_cast<unsigned>(p[0]) << 8 | p[1]; }

bool ChunkType(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

// 16-bit sample to 8 bits, rounded.
uint8_t Round16(unsigned v) { return static_cast<uint8_t>((v * 255u + 32767u) / 65535u); }

int Paeth(int a, int b, int c) {
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// ---------------------------------------------------------------------------
// Decoding

struct Image {
    uint32_t width = 0, height = 0;
    int depth = 0;
    int colourType = 0;
    bool interlaced = false;
    int channels = 0;
    uint32_t palette[256];  // BGRA, alpha from tRNS; entries past the table are opaque black
    int paletteSize = 0;
    bool keyed = false;  // grey or RGB colour key from tRNS, compared at full depth
    unsigned keyGrey = 0, keyRed = 0, keyGreen = 0, keyBlue = 0;
    std::vector<std::span<const uint8_t>> idat;

    int BitsPerPixel() const { return depth * channels; }
    // Filtering works on whole bytes: the distance to "the pixel to the left".
    size_t FilterStep() const { return static_cast<size_t>(std::max(1, BitsPerPixel() / 8)); }
    size_t RowBytes(uint32_t pixels) const { return (static_cast<uint64_t>(pixels) * BitsPerPixel() + 7) / 8; }
};

void ParseHeader(const uint8_t* p, uint32_t length, Image& img) {
    if (length != 13) Invalid();
    img.width = Be32(p);
    img.height = Be32(p + 4);
    img.depth = p[8];
    img.colourType = p[9];
    if (p[10] != 0 || p[11] != 0 || p[12] > 1) Invalid();  // deflate, adaptive filtering, Adam7
    img.interlaced = p[12] == 1;
    if (img.width == 0 || img.height == 0 || img.width > static_cast<uint32_t>(kMaxPngSide) ||
        img.height > static_cast<uint32_t>(kMaxPngSide))
        Invalid();
    const int d = img.depth;
    switch (img.colourType) {
        case kGrey:
            if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16) Invalid();
            img.channels = 1;
            break;
        case kPalette:
            if (d != 1 && d != 2 && d != 4 && d != 8) Invalid();
            img.channels = 1;
            break;
        case kRgb:
        case kGreyAlpha:
        case kRgba:
            if (d != 8 && d != 16) Invalid();
            img.channels = img.colourType == kRgb ? 3 : img.colourType == kGreyAlpha ? 2 : 4;
            break;
        default:
            Invalid();
    }
}

// Walks the chunks, checking every length and CRC, and gathers what decoding needs.
void ReadChunks(std::span<const uint8_t> data, Image& img) {
    if (data.size() < sizeof kSignature || std::memcmp(data.data(), kSignature, sizeof kSignature) != 0)
        Invalid();
    std::fill(std::begin(img.palette), std::end(img.palette), 0xFF000000u);
    size_t pos = sizeof kSignature;
    bool haveHeader = false, havePalette = false, haveEnd = false, afterData = false;
    while (!haveEnd) {
        if (data.size() - pos < 12) Invalid();
        const uint8_t* chunk = data.data() + pos;
        const uint32_t length = Be32(chunk);
        if (length > 0x7FFFFFFFu || data.size() - pos - 12 < length) Invalid();
        const uint8_t* type = chunk + 4;
        const uint8_t* body = chunk + 8;
        for (int i = 0; i < 4; ++i)
            if (!((type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z'))) Invalid();
        uLong crc = crc32(0L, type, 4 + length);  // type and body are contiguous
        if (crc != Be32(body + length)) Invalid();
        pos += 12 + static_cast<size_t>(length);

        if (!haveHeader) {
            if (!ChunkType(type, "IHDR")) Invalid();
            ParseHeader(body, length, img);
            haveHeader = true;
        } else if (ChunkType(type, "IHDR")) {
            Invalid();
        } else if (ChunkType(type, "PLTE")) {
            if (havePalette || afterData || length == 0 || length % 3 != 0 || length / 3 > 256) Invalid();
            if (img.colourType == kGrey || img.colourType == kGreyAlpha) Invalid();
            havePalette = true;
            img.paletteSize = static_cast<int>(length / 3);
            for (int i = 0; i < img.paletteSize; ++i) {
                const uint8_t* e = body + 3 * i;
                img.palette[i] = 0xFF000000u | static_cast<uint32_t>(e[0]) << 16 |
                                 static_cast<uint32_t>(e[1]) << 8 | e[2];
            }
        } else if (ChunkType(type, "tRNS")) {
            if (afterData) Invalid();
            if (img.colourType == kPalette) {
                if (!havePalette) Invalid();
                // Alpha for the first entries; extra values (some writers pad) are ignored.
                int n = std::min(static_cast<int>(length), img.paletteSize);
                for (int i = 0; i < n; ++i)
                    img.palette[i] = (img.palette[i] & 0x00FFFFFFu) | static_cast<uint32_t>(body[i]) << 24;
            } else if (img.colourType == kGrey && length == 2) {
                img.keyed = true;
                img.keyGrey = Be16(body);
            } else if (img.colourType == kRgb && length == 6) {
                img.keyed = true;
                img.keyRed = Be16(body);
                img.keyGreen = Be16(body + 2);
                img.keyBlue = Be16(body + 4);
            }
        } else if (ChunkType(type, "IDAT")) {
            img.idat.emplace_back(body, length);
            afterData = true;
        } else if (ChunkType(type, "IEND")) {
            haveEnd = true;
        } else if ((type[0] & 0x20) == 0) {
            Invalid();  // a critical chunk that we do not know
        }
    }
    if (img.idat.empty() || (img.colourType == kPalette && !havePalette)) Invalid();
}

// Hands out the inflated image data, exactly the number of bytes asked for at a time,
// reading the IDAT chunks one after another.
class Inflater {
public:
    explicit Inflater(const std::vector<std::span<const uint8_t>>& chunks) : chunks_(chunks) {
        if (inflateInit(&stream_) != Z_OK) throw Error("Out of memory");
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    void Read(uint8_t* out, size_t size) {
        stream_.next_out = out;
        stream_.avail_out = static_cast<uInt>(size);
        while (stream_.avail_out > 0) {
            if (stream_.avail_in == 0 && next_ < chunks_.size()) {
                stream_.next_in = const_cast<Bytef*>(chunks_[next_].data());
                stream_.avail_in = static_cast<uInt>(chunks_[next_].size());
                ++next_;
            }
            // Called even without new input: zlib may still hold output for this row.
            int rc = inflate(&stream_, Z_NO_FLUSH);
            if (rc == Z_STREAM_END) {
                if (stream_.avail_out > 0) Invalid();  // the image data ends too soon
            } else if (rc == Z_BUF_ERROR) {
                // No progress: only more input can help.
                if (stream_.avail_in > 0 || next_ == chunks_.size()) Invalid();
            } else if (rc != Z_OK) {
                Invalid();
            }
        }
    }

private:
    const std::vector<std::span<const uint8_t>>& chunks_;
    size_t next_ = 0;
    z_stream stream_{};
};

// Undoes the row's filter in place; `prior` is the unfiltered previous row of the same
// pass (all zero for its first row).
void Unfilter(int filter, uint8_t* row, const uint8_t* prior, size_t length, size_t step) {
    switch (filter) {
        case 0:
            break;
        case 1:
            for (size_t i = step; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - step]);
            break;
        case 2:
            for (size_t i = 0; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
            break;
        case 3:
            for (size_t i = 0; i < length; ++i) {
                int left = i >= step ? row[i - step] : 0;
                row[i] = static_cast<uint8_t>(row[i] + ((left + prior[i]) >> 1));
            }
            break;
        case 4:
            for (size_t i = 0; i < length; ++i) {
                int left = i >= step ? row[i - step] : 0;
                int upLeft = i >= step ? prior[i - step] : 0;
                row[i] = static_cast<uint8_t>(row[i] + Paeth(left, prior[i], upLeft));
            }
            break;
        default:
            Invalid();
    }
}

// Converts `count` pixels of one unfiltered row to BGRA.
void ExpandRow(const Image& img, const uint8_t* raw, uint32_t count, uint8_t* out) {
    const int d = img.depth;
    auto sample = [raw, d](uint32_t i) -> unsigned {  // i-th sample of the row
        switch (d) {
            case 16: return Be16(raw + 2 * static_cast<size_t>(i));
            case 8: return raw[i];
            default: {
                size_t bit = static_cast<size_t>(i) * d;
                return (raw[bit / 8] >> (8 - d - bit % 8)) & ((1u << d) - 1);
            }
        }
    };
    auto to8 = [d](unsigned v) -> uint8_t {
        if (d == 16) return Round16(v);
        return static_cast<uint8_t>(v * 255u / ((1u << d) - 1));
    };
    for (uint32_t x = 0; x < count; ++x, out += 4) {
        switch (img.colourType) {
            case kGrey: {
                unsigned v = sample(x);
                out[0] = out[1] = out[2] = to8(v);
                out[3] = img.keyed && v == img.keyGrey ? 0 : 255;
                break;
            }
            case kPalette: {
                uint32_t c = img.palette[sample(x)];
                out[0] = static_cast<uint8_t>(c);
                out[1] = static_cast<uint8_t>(c >> 8);
                out[2] = static_cast<uint8_t>(c >> 16);
                out[3] = static_cast<uint8_t>(c >> 24);
                break;
            }
            case kRgb: {
                unsigned r = sample(3 * x), g = sample(3 * x + 1), b = sample(3 * x + 2);
                out[0] = to8(b);
                out[1] = to8(g);
                out[2] = to8(r);
                out[3] = img.keyed && r == img.keyRed && g == img.keyGreen && b == img.keyBlue ? 0 : 255;
                break;
            }
            case kGreyAlpha:
                out[0] = out[1] = out[2] = to8(sample(2 * x));
                out[3] = to8(sample(2 * x + 1));
                break;
            default:  // kRgba
                out[0] = to8(sample(4 * x + 2));
                out[1] = to8(sample(4 * x + 1));
                out[2] = to8(sample(4 * x));
                out[3] = to8(sample(4 * x + 3));
                break;
        }
    }
}

struct Pass {
    uint32_t x0, y0, dx, dy;
};
constexpr Pass kWholeImage[1] = {{0, 0, 1, 1}};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

// ---------------------------------------------------------------------------
// Encoding

void PutBe32(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void PutChunk(Bytes& out, const char* type, const uint8_t* body, size_t length) {
    PutBe32(out, static_cast<uint32_t>(length));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (length > 0) out.insert(out.end(), body, body + length);
    PutBe32(out, static_cast<uint32_t>(crc32(0L, out.data() + start, static_cast<uInt>(4 + length))));
}

class Deflater {
public:
    Deflater() {
        if (deflateInit(&stream_, Z_DEFAULT_COMPRESSION) != Z_OK) throw Error("Out of memory");
    }
    ~Deflater() { deflateEnd(&stream_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Compresses `data` (all of it, then the end of the stream when finish), writing an
    // IDAT chunk each time the output buffer fills.
    void Write(Bytes& out, const uint8_t* data, size_t size, bool finish) {
        stream_.next_in = const_cast<Bytef*>(data);
        stream_.avail_in = static_cast<uInt>(size);
        for (;;) {
            stream_.next_out = buffer_.data() + used_;
            stream_.avail_out = static_cast<uInt>(buffer_.size() - used_);
            int rc = deflate(&stream_, finish ? Z_FINISH : Z_NO_FLUSH);
            if (rc == Z_STREAM_ERROR) throw Error("PNG compression failed");
            used_ = buffer_.size() - stream_.avail_out;
            if (used_ == buffer_.size() || (rc == Z_STREAM_END && used_ > 0)) {
                PutChunk(out, "IDAT", buffer_.data(), used_);
                used_ = 0;
            }
            if (finish ? rc == Z_STREAM_END : (stream_.avail_in == 0 && stream_.avail_out > 0)) break;
        }
    }

private:
    z_stream stream_{};
    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(1 << 16);
    size_t used_ = 0;
};

}  // namespace

Bitmap DecodePng(std::span<const uint8_t> data) {
    Image img;
    ReadChunks(data, img);
    const uint64_t bytes = static_cast<uint64_t>(img.width) * img.height * 4;
    if (bytes > static_cast<uint64_t>(std::numeric_limits<std::ptrdiff_t>::max())) Invalid();

    std::span<const Pass> passes = img.interlaced ? std::span<const Pass>(kAdam7) : std::span<const Pass>(kWholeImage);

    // Deflate cannot expand data more than 1032 times (a 258-byte match in two bits), so
    // a file whose image data is too small to hold the picture is refused before the
    // picture's memory is taken.
    uint64_t rawSize = 0, compressedSize = 0;
    for (const Pass& pass : passes) {
        if (pass.x0 >= img.width || pass.y0 >= img.height) continue;
        const uint64_t columns = (img.width - pass.x0 + pass.dx - 1) / pass.dx;
        const uint64_t rows = (img.height - pass.y0 + pass.dy - 1) / pass.dy;
        rawSize += rows * (1 + img.RowBytes(static_cast<uint32_t>(columns)));
    }
    for (const auto& chunk : img.idat) compressedSize += chunk.size();
    if (rawSize / 1032 > compressedSize + 16) Invalid();

    Bitmap bitmap(static_cast<int>(img.width), static_cast<int>(img.height));
    Inflater inflater(img.idat);
    const size_t step = img.FilterStep();
    // One filter byte, then the row.
    std::vector<uint8_t> current(1 + img.RowBytes(img.width)), prior(current.size());
    std::vector<uint8_t> pixels(img.interlaced ? static_cast<size_t>(img.width) * 4 : 0);

    for (const Pass& pass : passes) {
        if (pass.x0 >= img.width || pass.y0 >= img.height) continue;  // an empty pass has no bytes
        const uint32_t columns = (img.width - pass.x0 + pass.dx - 1) / pass.dx;
        const size_t length = img.RowBytes(columns);
        std::fill(prior.begin(), prior.end(), 0);
        for (uint32_t y = pass.y0; y < img.height; y += pass.dy) {
            inflater.Read(current.data(), 1 + length);
            Unfilter(current[0], current.data() + 1, prior.data() + 1, length, step);
            if (!img.interlaced) {
                ExpandRow(img, current.data() + 1, columns, bitmap.ScanLine(static_cast<int>(y)));
            } else {
                ExpandRow(img, current.data() + 1, columns, pixels.data());
                uint8_t* row = bitmap.ScanLine(static_cast<int>(y));
                for (uint32_t i = 0; i < columns; ++i)
                    std::memcpy(row + 4 * (pass.x0 + static_cast<size_t>(i) * pass.dx), pixels.data() + 4 * i, 4);
            }
            current.swap(prior);
        }
    }
    return bitmap;
}

Bytes EncodePng(const Bitmap& bitmap, bool withAlpha) {
    if (bitmap.Empty()) throw Error("Cannot write an empty picture as PNG");
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const size_t channels = withAlpha ? 4 : 3;
    const size_t length = static_cast<size_t>(width) * channels;

    Bytes out(kSignature, kSignature + sizeof kSignature);
    uint8_t header[13] = {};
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<uint8_t>(static_cast<uint32_t>(width) >> (24 - 8 * i));
        header[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(height) >> (24 - 8 * i));
    }
    header[8] = 8;
    header[9] = withAlpha ? kRgba : kRgb;
    PutChunk(out, "IHDR", header, sizeof header);

    // Each row takes the filter whose output has the smallest sum of magnitudes (read as
    // signed bytes), a cheap and good guess at what compresses best.
    std::vector<uint8_t> raw(length), prior(length, 0);
    std::array<std::vector<uint8_t>, 5> filtered;
    for (auto& f : filtered) f.resize(1 + length);
    Deflater deflater;
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, src += 4) {
            uint8_t* p = raw.data() + static_cast<size_t>(x) * channels;
            p[0] = src[2];
            p[1] = src[1];
            p[2] = src[0];
            if (withAlpha) p[3] = src[3];
        }
        int best = 0;
        uint64_t bestCost = std::numeric_limits<uint64_t>::max();
        for (int f = 0; f < 5; ++f) {
            uint8_t* dst = filtered[f].data();
            dst[0] = static_cast<uint8_t>(f);
            uint64_t cost = 0;
            for (size_t i = 0; i < length; ++i) {
                int left = i >= channels ? raw[i - channels] : 0;
                int upLeft = i >= channels ? prior[i - channels] : 0;
                int predicted = f == 0 ? 0 : f == 1 ? left : f == 2 ? prior[i] : f == 3 ? (left + prior[i]) >> 1
                                                                                  : Paeth(left, prior[i], upLeft);
                uint8_t v = static_cast<uint8_t>(raw[i] - predicted);
                dst[1 + i] = v;
                cost += static_cast<uint64_t>(std::abs(static_cast<int8_t>(v)));
            }
            if (cost < bestCost) bestCost = cost, best = f;
        }
        deflater.Write(out, filtered[best].data(), filtered[best].size(), false);
        raw.swap(prior);
    }
    deflater.Write(out, nullptr, 0, true);
    PutChunk(out, "IEND", nullptr, 0);
    return out;
}

}  // namespace kv
