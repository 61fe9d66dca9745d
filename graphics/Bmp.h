#pragma once
// Windows bitmap files (.bmp).
#include <cstdint>
#include <span>

#include "common/Files.h"
#include "graphics/Bitmap.h"

namespace kv {

// Largest width or height that ReadBmp accepts.
inline constexpr int kMaxBmpSide = 32768;

// Reads an uncompressed Windows bitmap with a BITMAPINFOHEADER, V4 or V5 header:
// 1, 4 and 8 bits with a colour table, 24 bits, and 32 bits (plain, or BI_BITFIELDS with
// the standard 8-8-8 masks); bottom-up or top-down. The fourth byte of 32-bit pixels is
// kept as it is in the file; the other depths give 255 there. Every other format and
// every malformed file raises kv::Error "Bitmap image is not valid".
Bitmap ReadBmp(std::span<const uint8_t> data);

// Writes an uncompressed bitmap with a BITMAPINFOHEADER: 24 bits (rows padded to four
// bytes, the fourth byte dropped) or 32 bits (the fourth byte written as it is).
Bytes WriteBmp(const Bitmap& bitmap, int bitsPerPixel = 24, bool topDown = false);

}  // namespace kv
