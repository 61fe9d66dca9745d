#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "common/Error.h"
#include "common/Files.h"
#include "showcase/core/SwfHeader.h"

using kv::Bytes;
using kv::SwfHeader;

namespace {

// Writes bit-packed fields, most significant bit first.
struct BitWriter {
    Bytes bytes;
    int used = 8;
    void Put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (used == 8) bytes.push_back(0), used = 0;
            if ((value >> i) & 1) bytes.back() |= static_cast<uint8_t>(0x80 >> used);
            ++used;
        }
    }
};

void Le16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Le32(Bytes& b, uint32_t v) {
    Le16(b, v & 0xFFFF);
    Le16(b, v >> 16);
}

Bytes Rect(int bits, int32_t xMin, int32_t xMax, int32_t yMin, int32_t yMax) {
    BitWriter w;
    w.Put(static_cast<uint32_t>(bits), 5);
    for (int32_t v : {xMin, xMax, yMin, yMax}) w.Put(static_cast<uint32_t>(v) & ((1u << bits) - 1), bits);
    return w.bytes;
}

Bytes Tag(uint16_t code, const Bytes& body, bool longForm = false) {
    Bytes b;
    if (longForm || body.size() >= 0x3F) {
        Le16(b, static_cast<uint32_t>(code << 6 | 0x3F));
        Le32(b, static_cast<uint32_t>(body.size()));
    } else {
        Le16(b, static_cast<uint32_t>(code << 6 | body.size()));
    }
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

const Bytes kShowFrame = Tag(1, {});
const Bytes kEnd = Tag(0, {});
const Bytes kAttributes = Tag(69, {0x08, 0, 0, 0});
Bytes Background(uint8_t r, uint8_t g, uint8_t b) { return Tag(9, {r, g, b}); }

// 550 x 400 pixels: 15-bit fields, so the frame size takes 9 bytes and the fixed part
// of the header after the first 8 bytes takes 13.
const Bytes kFrame = Rect(15, 0, 11000, 0, 8000);
constexpr size_t kTagsAt = 8 + 13;

// The bytes after the first 8: frame size, rate, frame count, then the tags.
Bytes Body(uint16_t rate, uint16_t frames, const std::vector<Bytes>& tags, const Bytes& frame = kFrame) {
    Bytes b = frame;
    Le16(b, rate);
    Le16(b, frames);
    for (const Bytes& t : tags) b.insert(b.end(), t.begin(), t.end());
    return b;
}

// The whole file: signature, version, declared length, then the body as it is or
// compressed with zlib.
Bytes Movie(const char* signature, const Bytes& body, uint8_t version = 10) {
    Bytes out(signature, signature + 3);
    out.push_back(version);
    Le32(out, static_cast<uint32_t>(8 + body.size()));
    if (signature[0] == 'C') {
        uLongf size = compressBound(static_cast<uLong>(body.size()));
        Bytes packed(size);
        EXPECT_EQ(compress(packed.data(), &size, body.data(), static_cast<uLong>(body.size())), Z_OK);
        packed.resize(size);
        out.insert(out.end(), packed.begin(), packed.end());
    } else {
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

Bytes Truncated(Bytes b, size_t size) {
    b.resize(size);
    return b;
}

class SwfHeaderTest : public ::testing::Test {
protected:
    kv::test::TempDir dir;
    std::filesystem::path Write(const Bytes& bytes, const std::string& name = "movie.swf") {
        auto path = dir.path() / name;
        kv::WriteFileBytes(path, bytes);
        return path;
    }
};

TEST_F(SwfHeaderTest, ReadsPlainAndCompressedHeaders) {
    struct Case {
        const char* what;
        Bytes file;
        bool compressed;
        int32_t width, height;
        uint16_t rate, frames;
        std::optional<uint32_t> background;
    };
    const Bytes typical = Body(0x1800, 120, {kAttributes, Background(0x12, 0x34, 0x56), kShowFrame, kEnd});
    const Case cases[] = {
        {"plain", Movie("FWS", typical), false, 550, 400, 0x1800, 120, 0x123456},
        {"zlib", Movie("CWS", typical), true, 550, 400, 0x1800, 120, 0x123456},
        {"colour after a long-form tag",
         Movie("CWS", Body(0x1DF8, 3, {Tag(43, Bytes(5, 'x'), true), Tag(2, Bytes(300, 0)), Background(0, 0, 0)})),
         true, 550, 400, 0x1DF8, 3, 0x000000},
        {"colour only in the second frame", Movie("FWS", Body(0x0C00, 2, {kShowFrame, Background(1, 2, 3)})), false,
         550, 400, 0x0C00, 2, std::nullopt},
        {"colour after the end tag", Movie("FWS", Body(0x0C00, 2, {kEnd, Background(1, 2, 3)})), false, 550, 400,
         0x0C00, 2, std::nullopt},
        {"no tags at all", Movie("FWS", Body(0x0C00, 1, {})), false, 550, 400, 0x0C00, 1, std::nullopt},
        {"frame rate 0, no frames", Movie("FWS", Body(0, 0, {kEnd})), false, 550, 400, 0, 0, std::nullopt},
        // A negative origin and a width that is not a whole number of pixels (truncated).
        {"offset frame", Movie("FWS", Body(0x1800, 1, {}, Rect(16, -200, 6419, -20, 4780))), false, 330, 240,
         0x1800, 1, std::nullopt},
        {"empty frame size", Movie("FWS", Body(0x1800, 7, {}, Rect(0, 0, 0, 0, 0))), false, 0, 0, 0x1800, 7,
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SwfHeader h = kv::ReadSwfHeader(Write(c.file));
        EXPECT_EQ(h.Compressed, c.compressed);
        EXPECT_EQ(h.Version, 10);
        EXPECT_EQ(h.Width, c.width);
        EXPECT_EQ(h.Height, c.height);
        EXPECT_EQ(h.FrameRate, c.rate);
        EXPECT_EQ(h.FrameCount, c.frames);
        EXPECT_EQ(h.BackgroundColor, c.background);
    }
    // The declared length is the uncompressed one, also for a compressed file.
    const SwfHeader h = kv::ReadSwfHeader(Write(Movie("CWS", typical)));
    EXPECT_EQ(h.FileLength, 8 + typical.size());
    EXPECT_DOUBLE_EQ(kv::ReadSwfHeader(Write(Movie("FWS", Body(0x1DF8, 1, {})))).FramesPerSecond(), 29.96875);
}

TEST_F(SwfHeaderTest, BadFilesRaiseAClearErrorNamingTheFile) {
    const Bytes body = Body(0x1800, 10, {Background(9, 9, 9), kShowFrame});
    const Bytes packed = Movie("CWS", body);
    Bytes badBlock = packed, badZlibHeader = packed;
    badBlock[10] = 0x07;  // the first deflate block: final, of the reserved type
    badZlibHeader[8] = 0;
    const Bytes bigRect = [] {
        Bytes b = Movie("FWS", Body(0x1800, 1, {}));
        b[8] = 31 << 3;  // 31-bit fields: the rectangle needs 17 bytes, the file has fewer
        return Truncated(b, 20);
    }();
    struct Case {
        const char* what;
        Bytes file;
        std::string message;  // after "<kind> <file>"
    };
    const Case cases[] = {
        {"LZMA", Movie("ZWS", body), ": LZMA-compressed movies cannot be played"},
        {"garbage", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, ": not a Flash movie"},
        {"lower-case signature", Movie("fws", body), ": not a Flash movie"},
        {"empty file", Bytes{}, ": not a Flash movie"},
        {"only a signature", Bytes{'F', 'W', 'S', 10}, ": it ends inside its header"},
        {"truncated frame size", Truncated(Movie("FWS", body), 10), ": it ends inside its frame size"},
        {"31-bit frame size cut short", bigRect, ": it ends inside its frame size"},
        {"no frame count", Truncated(Movie("FWS", body), kTagsAt - 1), ": it ends inside its header"},
        {"truncated tag", Truncated(Movie("FWS", Body(0x1800, 1, {Tag(2, Bytes(100, 1)), kShowFrame})), kTagsAt + 50),
         ": it ends inside a tag"},
        {"half a tag header", Truncated(Movie("FWS", body), kTagsAt + 1), ": it ends inside a tag"},
        {"short colour tag", Movie("FWS", Body(0x1800, 1, {Tag(9, {1, 2})})), ": its background colour is too short"},
        {"negative width", Movie("FWS", Body(0x1800, 1, {}, Rect(15, 100, 50, 0, 8000))),
         ": its frame size is negative"},
        {"bad deflate block", badBlock, ": its compressed data is damaged"},
        {"bad zlib header", badZlibHeader, ": its compressed data is damaged"},
        {"zlib stream cut short", Truncated(packed, 12), ": it ends inside its"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto path = Write(c.file);
        const std::string name = kv::PathToUtf8(path);
        try {
            kv::ReadSwfHeader(path);
            ADD_FAILURE() << "no error";
        } catch (const kv::Error& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find(name + c.message), std::string::npos) << text;
            const bool unsupported = c.message.rfind(": not", 0) == 0 || c.message.rfind(": LZMA", 0) == 0;
            EXPECT_EQ(text.rfind(unsupported ? "Unsupported movie format in " : "Damaged movie file ", 0), 0u)
                << text;
        }
    }
    EXPECT_THROW(
        {
            try {
                kv::ReadSwfHeader(dir.path() / "missing.swf");
            } catch (const kv::Error& e) {
                EXPECT_EQ(std::string(e.what()), "Cannot open file " + kv::PathToUtf8(dir.path() / "missing.swf"));
                throw;
            }
        },
        kv::Error);
}

// Hostile lengths cost neither memory nor time: a tag claiming 4 GiB, or an inflated
// stream of many megabytes before the colour, ends the search with no colour.
TEST_F(SwfHeaderTest, TheColourSearchIsBounded) {
    Bytes claims4GiB = Movie("FWS", Body(0x1800, 1, {}));
    Le16(claims4GiB, 2 << 6 | 0x3F);
    Le32(claims4GiB, 0xFFFFFFFF);
    const Bytes colour = Background(1, 2, 3);
    claims4GiB.insert(claims4GiB.end(), colour.begin(), colour.end());
    EXPECT_EQ(kv::ReadSwfHeader(Write(claims4GiB)).BackgroundColor, std::nullopt);

    // Megabyte tags, inflated and thrown away: 15 of them leave the colour in reach,
    // 17 put it past the limit.
    const Bytes megabyte = Tag(2, Bytes(1 << 20, 0));
    for (auto [tags, found] : {std::pair{15, true}, std::pair{17, false}}) {
        std::vector<Bytes> first(static_cast<size_t>(tags), megabyte);
        first.push_back(colour);
        const Bytes packed = Movie("CWS", Body(0x1800, 1, first));
        EXPECT_LT(packed.size(), 100000u);
        const SwfHeader h = kv::ReadSwfHeader(Write(packed));
        EXPECT_EQ(h.FrameCount, 1);
        EXPECT_EQ(h.BackgroundColor, found ? std::optional<uint32_t>(0x010203) : std::nullopt) << tags;
    }
}

}  // namespace
