// Every built style, at every progress, on degenerate and ordinary sizes and at the step
// extremes, must draw its frame without failing, hanging or touching memory outside the
// bitmaps (the native tests run under AddressSanitizer). Each frame must also keep the
// contract: nothing but Screen changes and no clip region is left selected.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Random.h"
#include "transitions/TransitionEffects.h"
#include "RasterFixtures.h"

namespace {

using kv::test::Filled;

std::vector<int> BuiltStyles() {
    std::vector<int> styles;
    for (int s = 1; s <= kv::kStyleCount; ++s)
        if (kv::StyleAvailable(s)) styles.push_back(s);
    return styles;
}

TEST(StyleSweep, SmallSizesEveryProgressAndStepExtremes) {
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {3, 2}, {7, 5}, {9, 9}, {40, 30}, {30, 40},
                                         {45, 1}, {1, 45}, {100, 7}, {7, 100}, {123, 77}};
    const int steps[] = {1, 4, 68, 100};
    kv::RandSeed(12345);
    for (int style : BuiltStyles()) {
        for (auto [w, h] : sizes) {
            const kv::Bitmap image = Filled(w, h, 0xFFFFFFFF);
            const kv::Bitmap before = image;
            for (int step : steps) {
                kv::Bitmap screen = Filled(w, h, 0xFF000000);
                for (int progress = 1; progress <= 99; ++progress) {
                    ASSERT_NO_THROW(kv::RunStyle(style, screen, image, static_cast<uint16_t>(step),
                                                 static_cast<uint8_t>(progress)))
                        << "style " << style << " " << w << "x" << h << " step " << step << " progress " << progress;
                    ASSERT_EQ(screen.Canvas().ClipRegion(), nullptr) << "style " << style << " left a clip region";
                }
            }
            ASSERT_TRUE(image == before) << "style " << style << " changed the new picture";
        }
    }
}

TEST(StyleSweep, LargePictureAtEdgeProgressValues) {
    const int w = 4000, h = 3000;
    const kv::Bitmap image = Filled(w, h, 0xFFFFFFFF);
    kv::Bitmap screen(w, h);
    for (int style : BuiltStyles()) {
        for (int progress : {1, 50, 99}) {
            ASSERT_NO_THROW(kv::RunStyle(style, screen, image, 4, static_cast<uint8_t>(progress)))
                << "style " << style << " progress " << progress;
        }
    }
}

}  // namespace
