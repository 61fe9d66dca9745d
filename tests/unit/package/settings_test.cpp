#include <gtest/gtest.h>

#include <array>

#include "common/Error.h"
#include "package/SettingsStore.h"
#include "package/ShowSettings.h"

using kv::Bytes;
using kv::MemorySettingsStore;
using kv::ShowSettings;
using kv::StoredType;

namespace {

// A picture show of 5 pictures, no music, no frame, waking on mouse movement, 8 seconds
// a picture, 1024 x 768 replaced by the screen size.
const std::array<uint8_t, 33> kExample = {0x01, 0x00, 0x00, 0x01, 0x00,  //
                                          0x00, 0x00, 0x00, 0x00,        //
                                          0x05, 0x00, 0x00, 0x00,        //
                                          0x00, 0x00, 0x00, 0x00,        //
                                          0x01, 0x00, 0x00, 0x00,        //
                                          0x08, 0x00, 0x00, 0x00,        //
                                          0x00, 0x04, 0x00, 0x00,        //
                                          0x00, 0x03, 0x00, 0x00};

TEST(ShowSettings, ExampleRecordDecodesFieldByFieldAndEncodesBack) {
    ShowSettings s = ShowSettings::Decode(kExample);
    EXPECT_EQ(s.Reserved, 1);
    EXPECT_EQ(s.UseFrame, 0);
    EXPECT_EQ(s.UsePlayer, 0);
    EXPECT_EQ(s.UseScreenSize, 1);
    EXPECT_EQ(s.ShowKind, 0);
    EXPECT_EQ(s.MusicCount, 0);
    EXPECT_EQ(s.PictureCount, 5);
    EXPECT_EQ(s.FlashCount, 0);
    EXPECT_EQ(s.QuitMode, 1);
    EXPECT_EQ(s.IntervalSeconds, 8);
    EXPECT_EQ(s.DesignWidth, 1024);
    EXPECT_EQ(s.DesignHeight, 768);
    EXPECT_EQ(s.Encode(), kExample);
    EXPECT_EQ(kv::ItemCount(s), 5);
}

TEST(ShowSettings, EveryFieldHasItsOwnLittleEndianBytes) {
    ShowSettings s;
    s.Reserved = 0xA0;
    s.UseFrame = 0xA1;
    s.UsePlayer = 0xA2;
    s.UseScreenSize = 0xA3;
    s.ShowKind = 0xA4;
    s.MusicCount = 0x05060708;
    s.PictureCount = -2;  // FE FF FF FF
    s.FlashCount = 0x0D0E0F10;
    s.QuitMode = 0x11121314;
    s.IntervalSeconds = 0x15161718;
    s.DesignWidth = 0x191A1B1C;
    s.DesignHeight = static_cast<int32_t>(0x9D9E9FA0u);
    const std::array<uint8_t, 33> expected = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0x08, 0x07, 0x06, 0x05, 0xFE, 0xFF,
                                              0xFF, 0xFF, 0x10, 0x0F, 0x0E, 0x0D, 0x14, 0x13, 0x12, 0x11, 0x18,
                                              0x17, 0x16, 0x15, 0x1C, 0x1B, 0x1A, 0x19, 0xA0, 0x9F, 0x9E, 0x9D};
    EXPECT_EQ(s.Encode(), expected);
    EXPECT_EQ(ShowSettings::Decode(expected), s);

    std::array<uint8_t, 40> longer{};  // only the first 33 bytes count
    std::copy(expected.begin(), expected.end(), longer.begin());
    longer[33] = 0x77;
    EXPECT_EQ(ShowSettings::Decode(longer), s);
    EXPECT_THROW(ShowSettings::Decode(std::span<const uint8_t>(expected.data(), 32)), kv::Error);
}

TEST(ShowSettings, ItemCountFollowsTheShowKind) {
    struct Case { uint8_t kind; int expected; };
    for (Case c : {Case{0, 7}, Case{1, 3}, Case{2, 0}, Case{255, 0}}) {
        ShowSettings s;
        s.PictureCount = 7;
        s.FlashCount = 3;
        s.ShowKind = c.kind;
        EXPECT_EQ(kv::ItemCount(s), c.expected) << "ShowKind " << int(c.kind);
    }
}

TEST(ShowSettings, ProcessSettingsIsOneSharedCopy) {
    kv::ProcessSettings().QuitMode = 4;
    EXPECT_EQ(&kv::ProcessSettings(), &kv::ProcessSettings());
    EXPECT_EQ(kv::ProcessSettings().QuitMode, 4);
    kv::ProcessSettings() = ShowSettings{};
}

// The package's record before the overlay: every field set, so a field taken wrongly shows.
ShowSettings PackageSettings() {
    ShowSettings s = ShowSettings::Decode(kExample);
    s.UseFrame = 0;
    s.UsePlayer = 1;
    s.ShowKind = 0;
    s.MusicCount = 2;
    s.FlashCount = 4;
    return s;
}

// A stored record that differs from PackageSettings() in every field.
Bytes StoredRecord() {
    ShowSettings u;
    u.Reserved = 9;
    u.UseFrame = 1;
    u.UsePlayer = 0;
    u.UseScreenSize = 0;
    u.ShowKind = 1;
    u.MusicCount = 11;
    u.PictureCount = 12;
    u.FlashCount = 13;
    u.QuitMode = 3;
    u.IntervalSeconds = 20;
    u.DesignWidth = 800;
    u.DesignHeight = 600;
    auto e = u.Encode();
    return Bytes(e.begin(), e.end());
}

TEST(UserSettings, OverlayTakesExactlyTheFiveUserFields) {
    struct Case {
        const char* what;
        std::optional<kv::StoredValue> stored;
        ShowSettings expected;
    };
    const ShowSettings base = PackageSettings();
    ShowSettings five = base;  // what a full stored record changes
    five.UseFrame = 1;
    five.QuitMode = 3;
    five.IntervalSeconds = 20;
    five.DesignWidth = 800;
    five.DesignHeight = 600;
    ShowSettings tenBytes = base;  // UseFrame from the 10 bytes, the other four from the zeros
    tenBytes.UseFrame = 1;
    tenBytes.QuitMode = 0;
    tenBytes.IntervalSeconds = 0;
    tenBytes.DesignWidth = 0;
    tenBytes.DesignHeight = 0;
    const Bytes full = StoredRecord();

    const Case cases[] = {
        {"missing value", std::nullopt, base},
        {"empty binary value", kv::StoredValue{StoredType::Binary, {}}, base},
        {"full binary record", kv::StoredValue{StoredType::Binary, full}, five},
        {"full record of another type", kv::StoredValue{StoredType::Other, full}, five},
        {"10-byte value", kv::StoredValue{StoredType::Binary, Bytes(full.begin(), full.begin() + 10)}, tenBytes},
    };
    for (const Case& c : cases) {
        MemorySettingsStore store;
        if (c.stored) store.Put("SaverConfig-show.scr", *c.stored);
        ShowSettings s = base;
        kv::OverlayUserSettings(s, store, "show.scr");
        EXPECT_EQ(s, c.expected) << c.what;
    }
}

TEST(UserSettings, StoredScreenSizeFlagIsIgnored) {
    ShowSettings stored;
    stored.UseScreenSize = 1;
    auto e = stored.Encode();
    MemorySettingsStore store;
    store.Put("SaverConfig-show.scr", {StoredType::Binary, Bytes(e.begin(), e.end())});
    ShowSettings s;  // UseScreenSize 0 in the package
    kv::OverlayUserSettings(s, store, "show.scr");
    EXPECT_EQ(s.UseScreenSize, 0);
}

TEST(UserSettings, WrongTypesAndOverlongValuesFailWithTheValueName) {
    const Bytes full = StoredRecord();
    const kv::StoredValue bad[] = {
        {StoredType::String, kv::Bytes{'a', 0}},
        {StoredType::ExpandString, kv::Bytes{'%', 'a', '%', 0}},
        {StoredType::Dword, kv::Bytes{1, 0, 0, 0}},
        {StoredType::Binary, kv::Bytes(34, 1)},
        {StoredType::Other, kv::Bytes(34, 1)},
    };
    for (const auto& value : bad) {
        MemorySettingsStore store;
        store.Put("SaverConfig-x.scr", value);
        ShowSettings s = PackageSettings();
        try {
            kv::OverlayUserSettings(s, store, "x.scr");
            ADD_FAILURE() << "type " << int(value.Type) << ", " << value.Data.size() << " bytes: no error";
        } catch (const kv::Error& e) {
            EXPECT_STREQ(e.what(), "Invalid data type for 'SaverConfig-x.scr'");
        }
        EXPECT_EQ(s, PackageSettings()) << "a failed read takes nothing";
    }
}

TEST(UserSettings, KeyThatCannotBeOpenedLeavesThePackageValues) {
    MemorySettingsStore store;
    store.Put("SaverConfig-x.scr", {StoredType::String, Bytes{'a', 0}});  // would fail if read
    store.SetKeyOpenable(false);
    ShowSettings s = PackageSettings();
    EXPECT_NO_THROW(kv::OverlayUserSettings(s, store, "x.scr"));
    EXPECT_EQ(s, PackageSettings());
    EXPECT_THROW(store.Read("SaverConfig-x.scr"), kv::Error) << "reading a key that is not open is a caller's fault";
}

TEST(UserSettings, EachFileNameHasItsOwnValue) {
    EXPECT_EQ(kv::SettingsValueName("a.scr"), "SaverConfig-a.scr");
    EXPECT_EQ(kv::SettingsValueName("C:\\Windows\\System32\\a.scr"), "SaverConfig-a.scr");

    MemorySettingsStore store;
    ASSERT_TRUE(store.OpenKey());
    ShowSettings a;
    a.QuitMode = 2;
    ShowSettings b;
    b.QuitMode = 5;
    store.WriteBinary(kv::SettingsValueName("a.scr"), a.Encode());
    store.WriteBinary(kv::SettingsValueName("b.scr"), b.Encode());

    ShowSettings forA, forB, forC;
    kv::OverlayUserSettings(forA, store, "a.scr");
    kv::OverlayUserSettings(forB, store, "b.scr");
    kv::OverlayUserSettings(forC, store, "c.scr");
    EXPECT_EQ(forA.QuitMode, 2);
    EXPECT_EQ(forB.QuitMode, 5);
    EXPECT_EQ(forC.QuitMode, 0);

    ShowSettings upper;  // value names compare without case, as in the registry
    kv::OverlayUserSettings(upper, store, "A.SCR");
    EXPECT_EQ(upper.QuitMode, 2);
}

}  // namespace
