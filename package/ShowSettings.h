#pragma once
// The 33-byte show settings record: the body of the package's settings record and the
// user's stored copy of it. Packed, integers 32-bit signed little-endian:
//
//   0 Reserved   1 UseFrame   2 UsePlayer   3 UseScreenSize   4 ShowKind
//   5 MusicCount   9 PictureCount   13 FlashCount   17 QuitMode
//   21 IntervalSeconds   25 DesignWidth   29 DesignHeight
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kv {

struct ShowSettings {
    uint8_t Reserved = 0;       // kept as read, written back unchanged
    uint8_t UseFrame = 0;       // non-zero: paint the frame around the show area
    uint8_t UsePlayer = 0;      // non-zero: a Flash show starts through "nofile.swf"
    uint8_t UseScreenSize = 0;  // non-zero: the screen size replaces the design size
    uint8_t ShowKind = 0;       // 0 pictures, 1 Flash movies
    int32_t MusicCount = 0;
    int32_t PictureCount = 0;
    int32_t FlashCount = 0;     // the player movie (Flash index 255) is not counted
    int32_t QuitMode = 0;       // 1 mouse move, 2 click, 3 key, 4 any of these, 5 (and others) Alt+F4 only
    int32_t IntervalSeconds = 0;
    int32_t DesignWidth = 0;
    int32_t DesignHeight = 0;

    static constexpr size_t kSize = 33;

    std::array<uint8_t, kSize> Encode() const;
    // Decodes the first kSize bytes; throws kv::Error when fewer are given.
    static ShowSettings Decode(std::span<const uint8_t> bytes);

    bool operator==(const ShowSettings&) const = default;
};

// PictureCount for a picture show, FlashCount for a Flash show, 0 for any other kind.
int ItemCount(const ShowSettings& settings);

// The one copy of the settings that the running program works with.
ShowSettings& ProcessSettings();

}  // namespace kv
