#include "package/ShowSettings.h"

#include "common/Error.h"
#include "package/LittleEndian.h"

namespace kv {

std::array<uint8_t, ShowSettings::kSize> ShowSettings::Encode() const {
    std::array<uint8_t, kSize> b{};
    b[0] = Reserved;
    b[1] = UseFrame;
    b[2] = UsePlayer;
    b[3] = UseScreenSize;
    b[4] = ShowKind;
    StoreInt32LE(&b[5], MusicCount);
    StoreInt32LE(&b[9], PictureCount);
    StoreInt32LE(&b[13], FlashCount);
    StoreInt32LE(&b[17], QuitMode);
    StoreInt32LE(&b[21], IntervalSeconds);
    StoreInt32LE(&b[25], DesignWidth);
    StoreInt32LE(&b[29], DesignHeight);
    return b;
}

ShowSettings ShowSettings::Decode(std::span<const uint8_t> b) {
    if (b.size() < kSize) throw Error(Format("Settings record too short: %u bytes", static_cast<unsigned>(b.size())));
    ShowSettings s;
    s.Reserved = b[0];
    s.UseFrame = b[1];
    s.UsePlayer = b[2];
    s.UseScreenSize = b[3];
    s.ShowKind = b[4];
    s.MusicCount = LoadInt32LE(&b[5]);
    s.PictureCount = LoadInt32LE(&b[9]);
    s.FlashCount = LoadInt32LE(&b[13]);
    s.QuitMode = LoadInt32LE(&b[17]);
    s.IntervalSeconds = LoadInt32LE(&b[21]);
    s.DesignWidth = LoadInt32LE(&b[25]);
    s.DesignHeight = LoadInt32LE(&b[29]);
    return s;
}

int ItemCount(const ShowSettings& settings) {
    switch (settings.ShowKind) {
        case 0: return settings.PictureCount;
        case 1: return settings.FlashCount;
        default: return 0;
    }
}

ShowSettings& ProcessSettings() {
    static ShowSettings settings;
    return settings;
}

}  // namespace kv
