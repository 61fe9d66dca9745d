#include "graphics/Bmp.h"

#include <algorithm>
#include <limits>

#include "common/Error.h"

namespace kv {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

[[noreturn]] void Invalid() { throw Error("Bitmap image is not valid"); }

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

void Put16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

Bitmap ReadBmp(std::span<const uint8_t> data) {
    const uint8_t* d = data.data();
    const uint64_t size = data.size();
    if (size < kFileHeaderSize + kInfoHeaderSize || d[0] != 'B' || d[1] != 'M') Invalid();
    const uint64_t pixelOffset = U32(d + 10);
    const uint32_t headerSize = U32(d + 14);
    // BITMAPINFOHEADER, its V2/V3 extensions (masks inside the header), V4 and V5.
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
        Invalid();
    if (kFileHeaderSize + headerSize > size) Invalid();

    const int32_t width = I32(d + 18);
    const int32_t rawHeight = I32(d + 22);
    const uint16_t planes = U16(d + 26);
    const uint16_t bits = U16(d + 28);
    const uint32_t compression = U32(d + 30);
    const uint32_t coloursUsed = U32(d + 46);
    if (planes != 1) Invalid();
    if (width <= 0 || width > kMaxBmpSide) Invalid();
    if (rawHeight == 0 || rawHeight < -kMaxBmpSide || rawHeight > kMaxBmpSide) Invalid();
    const bool topDown = rawHeight < 0;
    const int height = topDown ? -rawHeight : rawHeight;

    uint64_t tableOffset = kFileHeaderSize + headerSize;
    switch (bits) {
        case 1:
        case 4:
        case 8:
        case 24:
            if (compression != kBiRgb) Invalid();
            break;
        case 32:
            if (compression == kBiBitfields) {
                const uint8_t* masks = d + kFileHeaderSize + kInfoHeaderSize;
                if (headerSize == kInfoHeaderSize) {  // the three masks follow the header
                    if (tableOffset + 12 > size) Invalid();
                    tableOffset += 12;
                }
                if (U32(masks) != 0x00FF0000 || U32(masks + 4) != 0x0000FF00 || U32(masks + 8) != 0x000000FF)
                    Invalid();
                if (headerSize >= 56) {
                    uint32_t alphaMask = U32(masks + 12);
                    if (alphaMask != 0 && alphaMask != 0xFF000000) Invalid();
                }
            } else if (compression != kBiRgb) {
                Invalid();
            }
            break;
        default:
            Invalid();
    }

    // Rows are padded to four bytes; the last row's padding may be missing.
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 7) / 8;
    const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    if (pixelOffset < kFileHeaderSize + headerSize) Invalid();
    if (pixelOffset + stride * static_cast<uint64_t>(height - 1) + rowBytes > size) Invalid();

    // The colour table sits between the header (and masks) and the pixels. Writers that
    // store fewer entries than the header announces are read as far as they go; indices
    // past the table are black.
    uint32_t palette[256];
    std::fill(std::begin(palette), std::end(palette), 0xFF000000u);
    if (bits <= 8) {
        uint64_t entries = coloursUsed != 0 ? coloursUsed : (uint64_t{1} << bits);
        if (entries > 256) Invalid();
        uint64_t room = pixelOffset > tableOffset ? (pixelOffset - tableOffset) / 4 : 0;
        entries = std::min(entries, room);
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* q = d + tableOffset + 4 * i;  // RGBQUAD: blue, green, red, reserved
            palette[i] = 0xFF000000u | static_cast<uint32_t>(q[2]) << 16 | static_cast<uint32_t>(q[1]) << 8 | q[0];
        }
    }

    Bitmap bitmap(width, height);
    for (int r = 0; r < height; ++r) {
        const uint8_t* src = d + pixelOffset + static_cast<uint64_t>(r) * stride;
        const int y = topDown ? r : height - 1 - r;
        uint8_t* out = bitmap.ScanLine(y);
        switch (bits) {
            case 32:
                std::copy(src, src + static_cast<size_t>(width) * 4, out);
                break;
            case 24:
                for (int x = 0; x < width; ++x, src += 3, out += 4) {
                    out[0] = src[0];
                    out[1] = src[1];
                    out[2] = src[2];
                    out[3] = 255;
                }
                break;
            default: {  // 1, 4 or 8 bits of colour table index, leftmost pixel in the high bits
                const int perByte = 8 / bits;
                const unsigned mask = (1u << bits) - 1;
                for (int x = 0; x < width; ++x) {
                    int shift = 8 - bits * (x % perByte + 1);
                    unsigned index = (src[x / perByte] >> shift) & mask;
                    bitmap.SetPixel(x, y, palette[index]);
                }
                break;
            }
        }
    }
    return bitmap;
}

Bytes WriteBmp(const Bitmap& bitmap, int bitsPerPixel, bool topDown) {
    if (bitsPerPixel != 24 && bitsPerPixel != 32)
        throw Error(Format("Cannot write a %d-bit bitmap", bitsPerPixel));
    if (bitmap.Empty()) throw Error("Cannot write an empty bitmap");
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const uint64_t stride = (static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    const uint64_t imageSize = stride * static_cast<uint64_t>(height);
    const uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + imageSize;
    if (fileSize > std::numeric_limits<uint32_t>::max()) throw Error("Bitmap is too large for a BMP file");

    Bytes out;
    out.reserve(static_cast<size_t>(fileSize));
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(fileSize));
    Put32(out, 0);
    Put32(out, kFileHeaderSize + kInfoHeaderSize);
    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(topDown ? -height : height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bitsPerPixel));
    Put32(out, kBiRgb);
    Put32(out, static_cast<uint32_t>(imageSize));
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);

    const size_t headerEnd = out.size();
    out.resize(static_cast<size_t>(fileSize), 0);  // padding bytes stay zero
    for (int r = 0; r < height; ++r) {
        const uint8_t* src = bitmap.ScanLine(topDown ? r : height - 1 - r);
        uint8_t* dst = out.data() + headerEnd + static_cast<size_t>(r) * static_cast<size_t>(stride);
        if (bitsPerPixel == 32) {
            std::copy(src, src + static_cast<size_t>(width) * 4, dst);
        } else {
            for (int x = 0; x < width; ++x, src += 4, dst += 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
        }
    }
    return out;
}

}  // namespace kv
