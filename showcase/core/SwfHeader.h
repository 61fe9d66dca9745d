#pragma once
// The header of a Flash movie file: what the built-in player needs before it can play
// one (frame size, frame rate, frame count, background colour).
//
// Layout: 3-byte signature ("FWS" plain, "CWS" zlib-compressed after byte 8), version
// byte, 32-bit little-endian length of the uncompressed file; then the frame size as a
// bit-packed rectangle in twips (5-bit field width, then x-min, x-max, y-min, y-max),
// frame rate (16-bit 8.8 fixed point), frame count (16-bit), and the tags. A tag starts
// with a 16-bit word: code in the top 10 bits, length in the low 6; length 63 means a
// 32-bit length follows.
#include <cstdint>
#include <filesystem>
#include <optional>

namespace kv {

struct SwfHeader {
    bool Compressed = false;        // "CWS": the bytes after the first 8 are a zlib stream
    uint8_t Version = 0;
    uint32_t FileLength = 0;        // the uncompressed length the file declares
    int32_t Width = 0;              // frame size in pixels (twips / 20, truncated)
    int32_t Height = 0;
    uint16_t FrameRate = 0;         // frames per second, 8.8 fixed point (0x1800 = 24)
    uint16_t FrameCount = 0;
    // The colour of the background tag (code 9) found before the first frame ends, as
    // 0x00RRGGBB; none when the first frame sets no colour (a player then uses white).
    std::optional<uint32_t> BackgroundColor;

    double FramesPerSecond() const { return FrameRate / 256.0; }
};

// How far the search for the background tag reads into the movie (uncompressed bytes
// after the header's fixed part). Past this the movie counts as setting no colour, so a
// hostile file cannot make the read run through gigabytes of inflated data.
inline constexpr uint64_t kSwfTagScanLimit = 16u << 20;

// Reads the header of the movie file. Memory use is bounded whatever the file says:
// compressed movies are inflated in small pieces and only as far as needed.
// Raises kv::Error:
//   "Cannot open file %s"
//   "Unsupported movie format in %s: LZMA-compressed movies cannot be played" ("ZWS")
//   "Unsupported movie format in %s: not a Flash movie"      (any other signature)
//   "Damaged movie file %s: <what>"   (ends inside its header or a tag, damaged
//                                      compressed data, a negative frame size, ...)
SwfHeader ReadSwfHeader(const std::filesystem::path& file);

}  // namespace kv
