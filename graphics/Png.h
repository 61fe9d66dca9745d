#pragma once
// PNG files: a small writer for the tools and a reader for user pictures.
#include <cstdint>
#include <span>

#include "common/Files.h"
#include "graphics/Bitmap.h"

namespace kv {

// Largest width or height that DecodePng accepts.
inline constexpr int kMaxPngSide = 32768;

// 8-bit truecolour PNG: RGB, or RGBA with the fourth byte as alpha when withAlpha.
Bytes EncodePng(const Bitmap& bitmap, bool withAlpha = false);

// Decodes every standard PNG: grey, RGB, palette, grey+alpha and RGBA at each allowed
// bit depth (1, 2, 4, 8, 16), plain or Adam7-interlaced. Transparency (an alpha channel
// or a tRNS chunk) lands in the fourth byte, without compositing; opaque pictures get
// 255 there. 16-bit samples are rounded to 8 bits. Any malformed, truncated or
// corrupted file raises kv::Error "PNG image is not valid".
Bitmap DecodePng(std::span<const uint8_t> data);

}  // namespace kv
