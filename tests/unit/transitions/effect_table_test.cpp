#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "common/Error.h"
#include "transitions/EffectFamilies.h"
#include "transitions/TransitionEffects.h"

using kv::EffectTable;

namespace {

std::string ErrorOf(int style, kv::Bitmap& screen, const kv::Bitmap& image) {
    try {
        kv::RunStyle(style, screen, image, 4, 50);
    } catch (const kv::Error& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(EffectTable, NamesInStyleOrder) {
    ASSERT_EQ(EffectTable.size(), 150u);
    const std::map<int, const char*> spots = {
        {1, "Expand from right"},
        {18, "Expand from bottom"},
        {25, "Expand in from top"},
        {33, "Expand from bottom"},
        {34, "Expand in from top"},
        {51, "Appear and Contract to middle"},
        {76, "Unven shred from bottom"},
        {99, "Criss Cross reveal from bottom left top right"},
        {116, "Starburst clockwise from center"},
        {118, "Fade"},
        {134, "Push and sqeeze down"},
        {145, "Rectangles apear from left and disapear to right"},
        {148, "Rectangles apear from bottom and disapear to up"},
        {150, "Rotational star"},
    };
    for (auto [style, name] : spots) EXPECT_STREQ(EffectTable[style - 1].Name, name) << "style " << style;
    std::set<std::string> distinct;
    for (const kv::TEffect& row : EffectTable) {
        ASSERT_NE(row.Name, nullptr);
        ASSERT_GT(std::strlen(row.Name), 0u);
        ASSERT_NE(row.Proc, nullptr);
        distinct.insert(row.Name);
    }
    EXPECT_EQ(distinct.size(), 148u) << "only 33 and 34 repeat earlier names";
}

TEST(EffectTable, UnbuiltAndUnknownStylesRaiseNotAvailable) {
    kv::Bitmap screen(8, 6), image(8, 6);
    EXPECT_EQ(ErrorOf(0, screen, image), "style 0 is not available");
    EXPECT_EQ(ErrorOf(151, screen, image), "style 151 is not available");
    EXPECT_EQ(ErrorOf(-3, screen, image), "style -3 is not available");
    EXPECT_FALSE(kv::StyleAvailable(0));
    EXPECT_FALSE(kv::StyleAvailable(151));
    for (int style = 1; style <= 150; ++style) {
        if (kv::StyleAvailable(style)) continue;
        std::string expected = "style " + std::to_string(style) + " is not available";
        EXPECT_EQ(ErrorOf(style, screen, image), expected);
        kv::Rect r{0, 0, 8, 6};
        EXPECT_THROW(EffectTable[style - 1].Proc(screen, image, r, 4, 50), kv::Error);
    }
    kv::Bitmap other(8, 5);
    EXPECT_THROW(kv::RunStyle(1, screen, other, 4, 50), kv::Error) << "sizes must match";
}

// Every family entry names a style of its own, and the table uses it.
TEST(EffectTable, FamilyListsFillTheTable) {
    std::map<int, kv::TransitionProc> seen;
#define KV_CHECK_FAMILY(name)                                                         \
    for (const kv::StyleProc& entry : kv::name) {                                      \
        EXPECT_TRUE(entry.Style >= 1 && entry.Style <= 150) << #name << " " << entry.Style; \
        EXPECT_NE(entry.Proc, nullptr) << #name << " " << entry.Style;                 \
        EXPECT_TRUE(seen.emplace(entry.Style, entry.Proc).second)                      \
            << "style " << entry.Style << " listed twice (" << #name << ")";          \
    }
    KV_EFFECT_FAMILIES(KV_CHECK_FAMILY)
#undef KV_CHECK_FAMILY
    for (int style = 1; style <= 150; ++style) {
        auto it = seen.find(style);
        EXPECT_EQ(kv::StyleAvailable(style), it != seen.end()) << "style " << style;
        if (it != seen.end()) {
            EXPECT_EQ(EffectTable[style - 1].Proc, it->second) << "style " << style;
        }
    }
}
