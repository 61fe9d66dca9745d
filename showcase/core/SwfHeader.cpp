#include "showcase/core/SwfHeader.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/Error.h"
#include "common/Files.h"

namespace kv {
namespace {

// The movie's bytes after the first 8, read in order: straight from the file, or
// inflated from it a piece at a time.
class MovieBody {
public:
    MovieBody(std::FILE* file, bool compressed, const std::string& name)
        : file_(file), compressed_(compressed), name_(name) {
        if (compressed_) {
            std::memset(&z_, 0, sizeof z_);
            if (inflateInit(&z_) != Z_OK) throw Error("Out of memory");
            zlibOpen_ = true;
        }
    }
    ~MovieBody() {
        if (zlibOpen_) inflateEnd(&z_);
    }
    MovieBody(const MovieBody&) = delete;
    MovieBody& operator=(const MovieBody&) = delete;

    // Reads up to n bytes; fewer only at the end of the data.
    size_t Read(uint8_t* out, size_t n) {
        if (!compressed_) {
            const size_t got = std::fread(out, 1, n, file_);
            if (got < n && std::ferror(file_)) throw Error("Stream read error");
            return got;
        }
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(n);
        while (z_.avail_out > 0 && !streamEnd_) {
            if (z_.avail_in == 0 && !inputEnd_) {
                const size_t got = std::fread(input_, 1, sizeof input_, file_);
                if (got < sizeof input_) {
                    if (std::ferror(file_)) throw Error("Stream read error");
                    inputEnd_ = true;
                }
                z_.next_in = input_;
                z_.avail_in = static_cast<uInt>(got);
            }
            const int result = inflate(&z_, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                streamEnd_ = true;
            } else if (result == Z_BUF_ERROR) {
                // No progress possible: the compressed data ran out before its end.
                if (z_.avail_in == 0 && inputEnd_) break;
            } else if (result != Z_OK) {
                throw Error(Format("Damaged movie file %s: its compressed data is damaged", name_.c_str()));
            }
        }
        return n - z_.avail_out;
    }

    // Reads exactly n bytes or fails with "what".
    void ReadExactly(uint8_t* out, size_t n, const char* what) {
        if (Read(out, n) != n) throw Damaged(what);
    }

    void Skip(uint64_t n, const char* what) {
        uint8_t scratch[4096];
        while (n > 0) {
            const size_t step = static_cast<size_t>(std::min<uint64_t>(n, sizeof scratch));
            ReadExactly(scratch, step, what);
            n -= step;
        }
    }

    Error Damaged(const char* what) const {
        return Error(Format("Damaged movie file %s: %s", name_.c_str(), what));
    }

private:
    std::FILE* file_;
    bool compressed_;
    const std::string& name_;
    z_stream z_;
    bool zlibOpen_ = false;
    bool inputEnd_ = false;
    bool streamEnd_ = false;
    uint8_t input_[16384];
};

// Bit-packed fields, most significant bit first.
class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t Unsigned(int bits) {
        uint32_t v = 0;
        for (int i = 0; i < bits; ++i) {
            const size_t byte = position_ / 8;
            const int bit = (data_[byte] >> (7 - position_ % 8)) & 1;
            v = (v << 1) | static_cast<uint32_t>(bit);
            ++position_;
        }
        return v;
    }
    int32_t Signed(int bits) {
        if (bits == 0) return 0;
        const uint32_t v = Unsigned(bits);
        const uint32_t sign = 1u << (bits - 1);
        return static_cast<int32_t>(static_cast<int64_t>(v ^ sign) - static_cast<int64_t>(sign));
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

struct FileCloser {
    std::FILE* file;
    ~FileCloser() { std::fclose(file); }
};

constexpr uint16_t kTagEnd = 0;
constexpr uint16_t kTagShowFrame = 1;
constexpr uint16_t kTagBackgroundColor = 9;

}  // namespace

SwfHeader ReadSwfHeader(const std::filesystem::path& file) {
    const std::string name = PathToUtf8(file);
    std::FILE* f = OpenFile(file, "rb");
    if (!f) throw Error(Format("Cannot open file %s", name.c_str()));
    FileCloser closer{f};

    uint8_t head[8];
    const size_t got = std::fread(head, 1, sizeof head, f);
    if (got < sizeof head && std::ferror(f)) throw Error("Stream read error");
    auto unsupported = [&](const char* why) {
        return Error(Format("Unsupported movie format in %s: %s", name.c_str(), why));
    };
    if (got >= 3 && head[1] == 'W' && head[2] == 'S') {
        if (head[0] == 'Z') throw unsupported("LZMA-compressed movies cannot be played");
        if (head[0] != 'F' && head[0] != 'C') throw unsupported("not a Flash movie");
    } else {
        throw unsupported("not a Flash movie");
    }
    SwfHeader h;
    h.Compressed = head[0] == 'C';
    MovieBody body(f, h.Compressed, name);
    if (got < sizeof head) throw body.Damaged("it ends inside its header");
    h.Version = head[3];
    h.FileLength = Le32(head + 4);

    // Frame size: a 5-bit field width n, then four n-bit signed values; at most 17 bytes.
    uint8_t rect[17];
    body.ReadExactly(rect, 1, "it ends inside its header");
    const int bits = rect[0] >> 3;
    const size_t rectBytes = (5 + 4 * static_cast<size_t>(bits) + 7) / 8;
    body.ReadExactly(rect + 1, rectBytes - 1, "it ends inside its frame size");
    BitReader reader(rect, rectBytes);
    reader.Unsigned(5);
    const int64_t xMin = reader.Signed(bits), xMax = reader.Signed(bits);
    const int64_t yMin = reader.Signed(bits), yMax = reader.Signed(bits);
    if (xMax < xMin || yMax < yMin) throw body.Damaged("its frame size is negative");
    h.Width = static_cast<int32_t>((xMax - xMin) / 20);
    h.Height = static_cast<int32_t>((yMax - yMin) / 20);

    uint8_t rateAndCount[4];
    body.ReadExactly(rateAndCount, 4, "it ends inside its header");
    h.FrameRate = Le16(rateAndCount);
    h.FrameCount = Le16(rateAndCount + 2);

    // The tags of the first frame, up to its ShowFrame (or the end tag), for the colour.
    uint64_t scanned = 0;
    while (scanned < kSwfTagScanLimit) {
        uint8_t tag[6];
        const size_t n = body.Read(tag, 2);
        if (n == 0) break;  // the movie ends between tags: no colour set
        if (n < 2) throw body.Damaged("it ends inside a tag");
        const uint16_t word = Le16(tag);
        const uint16_t code = static_cast<uint16_t>(word >> 6);
        uint64_t length = word & 0x3F;
        scanned += 2;
        if (length == 0x3F) {
            body.ReadExactly(tag + 2, 4, "it ends inside a tag");
            length = Le32(tag + 2);
            scanned += 4;
        }
        if (code == kTagEnd || code == kTagShowFrame) break;
        if (code == kTagBackgroundColor) {
            if (length < 3) throw body.Damaged("its background colour is too short");
            uint8_t rgb[3];
            body.ReadExactly(rgb, 3, "it ends inside a tag");
            h.BackgroundColor = (static_cast<uint32_t>(rgb[0]) << 16) | (static_cast<uint32_t>(rgb[1]) << 8) | rgb[2];
            break;
        }
        if (length > kSwfTagScanLimit - std::min(scanned, kSwfTagScanLimit)) break;  // beyond the search
        body.Skip(length, "it ends inside a tag");
        scanned += length;
    }
    return h;
}

}  // namespace kv
