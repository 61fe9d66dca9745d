#include <gtest/gtest.h>

#include <set>

#include "common/Error.h"
#include "package/StyleList.h"

using kv::Bytes;
using kv::StyleList;

namespace {

const std::set<int> kExcluded = {7, 9, 16, 17, 24, 25, 26, 27, 33, 34, 47, 48, 49, 50, 51, 119, 120, 121, 122};

TEST(StyleList, AllFlagsSetGiveEveryStyleOutsideTheExcludedSetInOrder) {
    for (int s = -1; s <= 150; ++s) EXPECT_EQ(kv::IsExcludedStyle(s), kExcluded.count(s) == 1) << "style " << s;

    StyleList list;
    list.AddEnabled(Bytes(kv::kEffectFlagCount, 1));
    std::vector<int> expected;
    for (int s = 0; s < kv::kEffectFlagCount; ++s)
        if (!kExcluded.count(s)) expected.push_back(s);
    EXPECT_EQ(list.Styles(), expected);
    EXPECT_EQ(list.Count(), 104);
}

TEST(StyleList, OnlyAFlagOfExactlyOneEnables) {
    Bytes flags(kv::kEffectFlagCount, 0);
    flags[3] = 1;
    flags[4] = 2;
    flags[5] = 0xFF;
    flags[6] = 1;
    flags[7] = 1;    // excluded
    flags[122] = 1;  // excluded
    StyleList list;
    list.AddEnabled(flags);
    EXPECT_EQ(list.Styles(), (std::vector<int>{3, 6}));
    EXPECT_THROW(list.AddEnabled(Bytes(122, 1)), kv::Error);
}

TEST(StyleList, RepeatedFlagRecordsMergeWithoutDuplicates) {
    StyleList list;
    for (int i = 0; i < 300; ++i) list.AddEnabled(Bytes(kv::kEffectFlagCount, 1));
    EXPECT_EQ(list.Count(), 104);

    StyleList merged;
    merged.AddEnabled(kv::EffectFlagsFor(std::vector<int>{5, 10}));
    merged.AddEnabled(kv::EffectFlagsFor(std::vector<int>{1, 5, 118}));
    EXPECT_EQ(merged.Styles(), (std::vector<int>{1, 5, 10, 118}));
}

TEST(StyleList, CheckFailsOnlyForAPictureShowWithoutStyles) {
    StyleList empty, some;
    some.AddEnabled(kv::EffectFlagsFor(std::vector<int>{0}));
    struct Case { uint8_t kind; const StyleList* list; bool fails; };
    for (Case c : {Case{0, &empty, true}, Case{0, &some, false}, Case{1, &empty, false}, Case{2, &empty, false}}) {
        kv::ShowSettings s;
        s.ShowKind = c.kind;
        EXPECT_EQ(kv::StyleCheckFails(s, *c.list), c.fails) << "kind " << int(c.kind) << ", " << c.list->Count();
    }
}

TEST(StyleList, DefaultFlagsEnableStylesOneTo118ThatAreUsable) {
    Bytes flags = kv::DefaultEffectFlags();
    ASSERT_EQ(flags.size(), 123u);
    for (int s = 0; s < 123; ++s)
        EXPECT_EQ(flags[s], (s >= 1 && s <= 118 && !kExcluded.count(s)) ? 1 : 0) << "style " << s;
    EXPECT_THROW(kv::EffectFlagsFor(std::vector<int>{123}), kv::Error);
    EXPECT_THROW(kv::EffectFlagsFor(std::vector<int>{-1}), kv::Error);
}

}  // namespace
