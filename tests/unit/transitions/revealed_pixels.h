#pragma once
// One frame of a style, rendered over a plain old picture from a new picture whose every
// pixel records its own position, read back as the set of pixels that show the new
// picture. A pixel that shows neither the old colour nor the new picture's own pixel at
// that position (a shifted or stretched copy) is counted as misplaced.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>

#include "graphics/Bitmap.h"
#include "graphics/Region.h"
#include "transitions/TransitionEffects.h"

namespace kv_test {

inline constexpr uint32_t kOldColour = 0xFF00FF00u;

// The new picture's pixel (x, y): 0x01YYYXXX, for pictures up to 4096 wide and high.
inline uint32_t NumberedPixel(int x, int y) {
    return 0x01000000u | static_cast<uint32_t>(y) << 12 | static_cast<uint32_t>(x);
}

// A frame rendered over the old colour from the numbered new picture, kept whole for
// probing. Every pixel must be the old colour or the new picture's own pixel at that
// place; any other pixel fails the calling test.
struct InPlaceFrame {
    kv::Bitmap screen;
    bool New(int x, int y) const { return screen.Pixel(x, y) != kOldColour; }
    int64_t NewCount() const {
        int64_t n = 0;
        for (int y = 0; y < screen.Height(); ++y)
            for (int x = 0; x < screen.Width(); ++x) n += New(x, y);
        return n;
    }
};

inline InPlaceFrame RenderInPlace(int style, int w, int h, int step, int progress) {
    kv::Bitmap image(w, h);
    InPlaceFrame f{kv::Bitmap(w, h)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            image.SetPixel(x, y, NumberedPixel(x, y));
            f.screen.SetPixel(x, y, kOldColour);
        }
    kv::RunStyle(style, f.screen, image, static_cast<uint16_t>(step), static_cast<uint8_t>(progress));
    int misplaced = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = f.screen.Pixel(x, y);
            misplaced += p != kOldColour && p != NumberedPixel(x, y);
        }
    EXPECT_EQ(misplaced, 0) << "style " << style << ": pixels not from the same place in the new picture";
    return f;
}

struct Revealed {
    kv::Region Shown;
    int Misplaced = 0;
};

inline Revealed Reveal(int style, int w, int h, int progress, int step = 4) {
    kv::Bitmap image(w, h), screen(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            image.SetPixel(x, y, NumberedPixel(x, y));
            screen.SetPixel(x, y, kOldColour);
        }
    kv::RunStyle(style, screen, image, static_cast<uint16_t>(step), static_cast<uint8_t>(progress));
    Revealed out;
    kv::RegionBuilder shown;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w;) {
            const uint32_t p = screen.Pixel(x, y);
            if (p == kOldColour) {
                ++x;
                continue;
            }
            if (p != NumberedPixel(x, y)) {
                ++out.Misplaced;
                ++x;
                continue;
            }
            int end = x + 1;
            while (end < w && screen.Pixel(end, y) == NumberedPixel(end, y)) ++end;
            shown.Add(x, y, end, y + 1);
            x = end;
        }
    out.Shown = shown.Build();
    return out;
}

// Succeeds when the frame shows the new picture, in place, on exactly the pixels of
// expected that lie within the w x h picture.
inline ::testing::AssertionResult ShowsExactly(const Revealed& frame, const kv::Region& expected,
                                               int w, int h) {
    const kv::Region want = expected & kv::Region(kv::Rect{0, 0, w, h});
    if (frame.Misplaced == 0 && frame.Shown == want) return ::testing::AssertionSuccess();
    const kv::Region extra = frame.Shown & (frame.Shown ^ want);
    const kv::Region missing = want & (frame.Shown ^ want);
    std::ostringstream why;
    why << frame.Misplaced << " misplaced pixels";
    auto describe = [&why](const char* what, const kv::Region& r) {
        if (r.IsEmpty()) return;
        const kv::Rect b = r.Bounds();
        why << "; " << what << " within (" << b.Left << ", " << b.Top << ", " << b.Right << ", "
            << b.Bottom << ")";
    };
    describe("new picture shown where it should not be", extra);
    describe("old picture left where the new one should show", missing);
    return ::testing::AssertionFailure() << why.str();
}

}  // namespace kv_test
