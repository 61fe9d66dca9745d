// Sweeps and turning shapes (143, 144, 149, 150): which pixels of a frame show the new
// picture, and that each shows the new picture's own pixel at the same place.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/Geometry.h"
#include "transitions/TransitionEffects.h"
#include "tests/unit/transitions/revealed_pixels.h"

using kv::Bitmap;
using kv::Rect;

namespace {

constexpr uint32_t kOld = kv_test::kOldColour;
using Frame = kv_test::InPlaceFrame;

// One frame over the old colour; every pixel must be the old colour or the new
// picture's pixel at the same place.
Frame Render(int style, int w, int h, int progress) { return kv_test::RenderInPlace(style, w, h, 4, progress); }

struct Probe {
    int x, y;
};

// An 800 x 600 frame of a style at a progress: the probes that show the new picture and
// those that keep the old colour.
struct ProbeCase {
    int style, progress;
    std::vector<Probe> shown, kept;
};

void ExpectProbes(std::initializer_list<ProbeCase> cases) {
    for (const ProbeCase& c : cases) {
        const Frame f = Render(c.style, 800, 600, c.progress);
        for (Probe p : c.shown)
            EXPECT_TRUE(f.New(p.x, p.y)) << "style " << c.style << " progress " << c.progress << " (" << p.x << ", " << p.y << ") kept";
        for (Probe p : c.kept)
            EXPECT_FALSE(f.New(p.x, p.y)) << "style " << c.style << " progress " << c.progress << " (" << p.x << ", " << p.y << ") shown";
    }
}

}  // namespace

// 800 x 600: centre (400, 300), radius 500; the fan's rim points are 3.6 degrees apart
// from straight up, the last one a step short of the hand.
TEST(Sweeps, FanOpensFromTwelveOClock) {
    ExpectProbes({
        // -90 .. -3.6 degrees: the hand's edge runs from the centre to (899, 269).
        {143, 25, {{405, 50}, {700, 275}, {799, 0}, {500, 290}}, {{395, 50}, {700, 290}, {700, 310}, {100, 100}}},
        {144, 25, {{395, 50}, {100, 275}, {0, 0}, {300, 290}}, {{405, 50}, {100, 290}, {100, 310}, {700, 100}}},
        // Three quarters: up to 176.4 degrees, short of nine o'clock.
        {143, 75, {{700, 300}, {400, 590}, {100, 330}, {799, 599}, {0, 599}}, {{100, 310}, {100, 290}, {100, 100}, {395, 50}}},
        {144, 75, {{100, 300}, {400, 590}, {700, 330}, {0, 599}, {799, 599}}, {{700, 310}, {700, 290}, {700, 100}, {405, 50}}},
    });
}

TEST(Sweeps, FanOfOneStepShowsNothing) {
    for (int style : {143, 144}) EXPECT_EQ(Render(style, 800, 600, 1).NewCount(), 0) << "style " << style;
}

TEST(Sweeps, FanOnAVeryWidePicture) {
    // 100000 x 2: centre (50000, 1). The corner distance squared, 2 500 000 001, does not
    // fit in 32 bits. At half progress the fan covers the right half.
    const int w = 100000, h = 2;
    Bitmap image(w, h), screen(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            image.SetPixel(x, y, 0xFFFFFFFF);
            screen.SetPixel(x, y, kOld);
        }
    kv::RunStyle(143, screen, image, 4, 50);
    for (int x : {50001, 75000, 99999})
        for (int y = 0; y < h; ++y) EXPECT_EQ(screen.Pixel(x, y), 0xFFFFFFFFu) << x << ", " << y;
    for (int x : {0, 25000, 49998})
        for (int y = 0; y < h; ++y) EXPECT_EQ(screen.Pixel(x, y), kOld) << x << ", " << y;
}

TEST(TurningShapes, RectangleAfterWholeQuarterTurnsIsUpright) {
    // Turned by a multiple of a quarter turn about (W div 2, H div 2) the PW x PH
    // rectangle is exactly an upright rectangle.
    struct Case {
        int w, h, progress;
        Rect shown;
    } cases[] = {
        {800, 600, 25, {325, 200, 475, 400}},  // 200 x 150 on its side
        {800, 600, 50, {200, 150, 600, 450}},  // 400 x 300, half a turn
        {800, 600, 75, {175, 0, 625, 600}},    // 600 x 450 on its side
        {801, 601, 50, {200, 150, 600, 450}},  // odd size: centre (400, 300)
    };
    for (const Case& c : cases) {
        const Frame f = Render(149, c.w, c.h, c.progress);
        int wrong = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) wrong += f.New(x, y) != c.shown.Contains(x, y);
        EXPECT_EQ(wrong, 0) << c.w << "x" << c.h << " progress " << c.progress;
    }
}

TEST(TurningShapes, ShapesTurnClockwise) {
    ExpectProbes({
        // 80 x 60 rectangle turned 36 degrees clockwise: its top corner lies at about
        // (385, 252), left of the centre.
        {149, 10, {{388, 261}, {400, 300}, {445, 297}}, {{411, 261}, {389, 339}}},
        // The star at a quarter turn: the tips 400 left and right now point up and down,
        // the tips 300 up and down now point left (to (100, 300)) and right (700, 300).
        {150, 25, {{400, 300}, {110, 300}, {689, 300}, {400, 5}, {400, 594}}, {{90, 300}, {710, 300}, {120, 250}, {0, 0}}},
        // Half a turn: the star of 800 x 600 at 50 again, tips far outside the picture.
        {150, 50, {{10, 300}, {790, 300}, {400, 0}, {400, 599}, {300, 200}}, {{10, 100}, {100, 100}, {700, 500}, {0, 0}}},
    });
}
