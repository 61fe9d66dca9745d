#pragma once
// JPEG through libjpeg. A stream that libjpeg rejects raises kv::Error "JPEG error #%d"
// with libjpeg's message number; libjpeg's warnings (a truncated stream, for example,
// decodes with its missing part filled in) are not errors.
#include <cstdint>
#include <span>

#include "common/Files.h"
#include "graphics/Bitmap.h"

namespace kv {

struct JpegInfo {
    int Width = 0;
    int Height = 0;
    int Components = 0;  // colour components in the stream (1 grey, 3 YCbCr/RGB, 4 CMYK/YCCK)
    int ColorSpace = 0;  // libjpeg's J_COLOR_SPACE of the stream
    bool Progressive = false;
};

// Parses the header (size and colour format) without decoding the image.
JpegInfo ReadJpegHeader(std::span<const uint8_t> data);

// Largest width or height that DecodeJpeg accepts; a larger picture raises libjpeg's
// "image too big" error number.
inline constexpr int kMaxJpegSide = 32768;

// Decodes grey, YCbCr, RGB, CMYK and YCCK streams (CMYK written with an Adobe marker is
// taken as inverted, as such writers store it) to BGRA with the fourth byte 255.
Bitmap DecodeJpeg(std::span<const uint8_t> data);

// Baseline YCbCr JPEG, 4:2:0 chroma, optimised Huffman tables. quality is 1..100
// (values outside are clamped). The fourth byte of the pixels is ignored.
Bytes EncodeJpeg(const Bitmap& bitmap, int quality = 90);

}  // namespace kv
