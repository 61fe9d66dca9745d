#include <gtest/gtest.h>

#include "common/Error.h"
#include "showcase/core/ShowRules.h"

namespace {

kv::ShowSettings Design(int32_t w, int32_t h, bool frame = false, bool screenSize = false) {
    kv::ShowSettings s;
    s.DesignWidth = w;
    s.DesignHeight = h;
    s.UseFrame = frame ? 1 : 0;
    s.UseScreenSize = screenSize ? 1 : 0;
    return s;
}

}  // namespace

TEST(ShowLayout, GapsAndAreaFollowScreenDesignAndFrame) {
    struct Case {
        const char* name;
        int32_t sw, sh;
        kv::ShowSettings settings;
        int32_t tile;
        bool framed;
        int32_t left, top, right, bottom;
        kv::Rect area;
    };
    const Case cases[] = {
        {"centred, no frame", 1280, 1024, Design(1024, 768), 0, false, 128, 128, 128, 128, {128, 128, 1152, 896}},
        {"38 tile", 1280, 1024, Design(1024, 768, true), 38, true, 184, 170, 184, 170, {184, 170, 1096, 854}},
        // Odd remainders: the extra pixel goes to the right and bottom margins.
        {"38 tile, odd remainder", 1280, 1024, Design(1001, 751, true), 38, true, 183, 188, 184, 189,
         {183, 188, 1096, 835}},
        {"odd screen width", 1365, 768, Design(1024, 768), 0, false, 170, 0, 170, 0, {170, 0, 1195, 768}},
        {"exact size", 1024, 768, Design(1024, 768), 0, false, 0, 0, 0, 0, {0, 0, 1024, 768}},
        {"frame on, no tile", 1280, 1024, Design(1024, 768, true), 0, false, 128, 128, 128, 128,
         {128, 128, 1152, 896}},
        {"frame off, tile present", 1280, 1024, Design(1024, 768), 38, false, 128, 128, 128, 128,
         {128, 128, 1152, 896}},
        // A design area narrower than two tiles leaves no room inside the frame.
        {"frame wider than design", 200, 200, Design(51, 51, true), 38, true, 118, 118, 119, 119,
         {118, 118, 118, 118}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kv::ShowSettings s = c.settings;
        const kv::ShowLayout l = kv::LayoutShowArea(c.sw, c.sh, s, c.tile, c.tile);
        EXPECT_FALSE(l.ScreenTooSmall);
        EXPECT_EQ(l.Framed, c.framed);
        EXPECT_EQ(l.GapLeft, c.left);
        EXPECT_EQ(l.GapTop, c.top);
        EXPECT_EQ(l.GapRight, c.right);
        EXPECT_EQ(l.GapBottom, c.bottom);
        EXPECT_EQ(l.Area, c.area);
        EXPECT_EQ(s, c.settings);  // without UseScreenSize the settings stay as they were
    }
}

TEST(ShowLayout, ScreenSizeReplacesTheDesignSizeBeforeTheCheck) {
    // 1600 x 1200 would not fit; with UseScreenSize the design becomes the screen.
    kv::ShowSettings s = Design(1600, 1200, false, true);
    kv::ShowLayout l = kv::LayoutShowArea(1280, 1024, s, 0, 0);
    EXPECT_FALSE(l.ScreenTooSmall);
    EXPECT_EQ(s.DesignWidth, 1280);
    EXPECT_EQ(s.DesignHeight, 1024);
    EXPECT_EQ(l.Area, (kv::Rect{0, 0, 1280, 1024}));

    // Framed, the frame takes its margins from the screen-sized design.
    s = Design(640, 480, true, true);
    l = kv::LayoutShowArea(1280, 1024, s, 38, 38);
    EXPECT_TRUE(l.Framed);
    EXPECT_EQ(l.GapLeft, 38 + 13);  // 1280 mod 38 = 26
    EXPECT_EQ(l.GapTop, 38 + 18);   // 1024 mod 38 = 36
    EXPECT_EQ(l.Area, (kv::Rect{51, 56, 1229, 968}));
}

TEST(ShowLayout, DesignLargerThanTheScreenIsReported) {
    const std::pair<int32_t, int32_t> designs[] = {{1600, 1200}, {1281, 768}, {1024, 1025}};
    for (auto [w, h] : designs) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        for (bool frame : {false, true}) {
            kv::ShowSettings s = Design(w, h, frame);
            const kv::ShowLayout l = kv::LayoutShowArea(1280, 1024, s, 38, 38);
            EXPECT_TRUE(l.ScreenTooSmall);
            EXPECT_FALSE(l.Framed);
            EXPECT_EQ(s.DesignWidth, w);
            EXPECT_EQ(l.Area, kv::Rect{});
        }
    }
}

TEST(ShowLayout, DesignSizesBelowOneTakeTheScreenAndNonSquareTilesRaise) {
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 768}, std::pair{1024, -2147483647 - 1}}) {
        kv::ShowSettings s = Design(w, h);
        const kv::ShowLayout l = kv::LayoutShowArea(1280, 1024, s, 0, 0);
        EXPECT_FALSE(l.ScreenTooSmall);
        EXPECT_EQ(l.Area, (kv::Rect{0, 0, 1280, 1024})) << w << "x" << h;
        EXPECT_EQ(s.DesignWidth, 1280);
        EXPECT_EQ(s.DesignHeight, 1024);
    }
    kv::ShowSettings framed = Design(1024, 768, true);
    EXPECT_THROW(kv::LayoutShowArea(1280, 1024, framed, 38, 40), kv::Error);
}
