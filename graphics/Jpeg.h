#pragma once
// JPEG through libjpeg. A stream that libjpeg rejects raises kv::Error "JPEG error #%d"
// with libjpeg's message number.
#include <cstdint>
#include <span>

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

}  // namespace kv
