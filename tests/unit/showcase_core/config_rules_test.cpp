#include <gtest/gtest.h>

#include "TempDir.h"
#include "package/PackageFixture.h"
#include "package/StyleList.h"
#include "showcase/core/ConfigRules.h"

using kv::ConfigMessage;
using kv::MemorySettingsStore;
using kv::ShowSettings;
using kv::StoredType;
using kv::StoredValue;
using kv::test::PackageBuilder;

namespace {

constexpr char kProgram[] = "Holiday.scr";
constexpr char kValueName[] = "SaverConfig-Holiday.scr";

// The package's own record: a picture show with fields the user cannot change set to
// values that would show if the dialog lost them.
ShowSettings PackageSettings() {
    ShowSettings s = kv::test::PictureShow();
    s.Reserved = 0x5A;
    s.UsePlayer = 1;
    s.UseScreenSize = 1;
    s.MusicCount = 2;
    s.PictureCount = 7;
    s.FlashCount = 3;
    s.QuitMode = 2;
    s.IntervalSeconds = 12;
    s.DesignWidth = 1600;
    s.DesignHeight = 1200;
    return s;
}

StoredValue Binary(const ShowSettings& s, size_t bytes = ShowSettings::kSize) {
    auto e = s.Encode();
    return {StoredType::Binary, kv::Bytes(e.begin(), e.begin() + static_cast<long>(bytes))};
}

struct Fixture {
    kv::test::TempDir dir;
    MemorySettingsStore store;
    ShowSettings settings;
    std::filesystem::path program = dir.path() / kProgram;

    void Package(const PackageBuilder& b, std::string_view magic = "KVQ1") { b.Write(program, magic); }
    void GoodPackage(const ShowSettings& s = PackageSettings(), const kv::Bytes& flags = kv::test::AllFlags()) {
        Package(PackageBuilder().Settings(s).Flags(flags).End());
    }
    kv::ConfigStartup Start() { return kv::RunConfigStartup(program, store, kProgram, settings); }
};

}  // namespace

TEST(ConfigRules, ResolutionTableLabelsAndWidthLookup) {
    const std::pair<int, const char*> labels[] = {
        {0, "800 x 600 Pixels"},   {1, "1024 x 768 Pixels"},  {3, "1280 x 720 Pixels"},
        {6, "1280 x 1024 Pixels"}, {7, "1600 x 1200 Pixels"}, {-4, "800 x 600 Pixels"}, {99, "1600 x 1200 Pixels"},
    };
    for (auto [pos, text] : labels) EXPECT_EQ(kv::ResolutionLabel(pos), text) << pos;
    EXPECT_EQ(kv::FirstResolutionWithWidth(1280), 3);  // the first 1280 row, whatever the height
    EXPECT_EQ(kv::FirstResolutionWithWidth(800), 0);
    EXPECT_EQ(kv::FirstResolutionWithWidth(1600), 7);
    EXPECT_EQ(kv::FirstResolutionWithWidth(1920), -1);
    EXPECT_EQ(kv::FirstResolutionWithWidth(0), -1);
}

TEST(ConfigRules, StartupFromPackageAndStoredValue) {
    ShowSettings stored = PackageSettings();
    stored.QuitMode = 3;
    stored.IntervalSeconds = 30;
    stored.UseFrame = 1;
    stored.DesignWidth = 1280;
    stored.DesignHeight = 1024;
    stored.UsePlayer = 0;  // fields the dialog never takes from the stored value
    stored.MusicCount = 99;
    ShowSettings quit0 = stored, quit9 = stored, width1920 = stored;
    quit0.QuitMode = 0;
    quit9.QuitMode = 9;
    width1920.DesignWidth = 1920;

    struct Case {
        const char* what;
        std::optional<StoredValue> value;
        int quitItem, interval;
        bool frame;
        int track;
        int32_t width, height, quitMode;
    };
    const Case cases[] = {
        // First start: position 1 whatever the package's design size, which the settings keep.
        {"no stored value", std::nullopt, 1, 12, false, 1, 1600, 1200, 2},
        {"stored 1280x1024 gives the first 1280 row", Binary(stored), 2, 30, true, 3, 1280, 720, 3},
        {"stored QuitMode 0 shows Mouse move", Binary(quit0), 0, 30, true, 3, 1280, 720, 0},
        {"stored QuitMode above 5 shows None", Binary(quit9), 4, 30, true, 3, 1280, 720, 9},
        {"stored width not in the table", Binary(width1920), 2, 30, true, 1, 1600, 1200, 3},
        // Ten bytes count as a value: UseFrame taken, the rest read as zeros.
        {"ten stored bytes", Binary(stored, 10), 0, 0, true, 1, 1600, 1200, 0},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.GoodPackage();
        if (c.value) f.store.Put(kValueName, *c.value);
        kv::ConfigStartup r = f.Start();
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(r.Messages.empty());
        EXPECT_FALSE(r.EndProgram);
        EXPECT_EQ(r.Controls.QuitItem, c.quitItem);
        EXPECT_EQ(r.Controls.Interval, c.interval);
        EXPECT_EQ(r.Controls.UseFrame, c.frame);
        EXPECT_EQ(r.Controls.TrackPosition, c.track);
        EXPECT_EQ(f.settings.DesignWidth, c.width);
        EXPECT_EQ(f.settings.DesignHeight, c.height);
        EXPECT_EQ(f.settings.QuitMode, c.quitMode);
        // Never taken from the stored value.
        EXPECT_EQ(f.settings.UsePlayer, 1);
        EXPECT_EQ(f.settings.MusicCount, 2);
        EXPECT_EQ(f.settings.Reserved, 0x5A);
    }
}

TEST(ConfigRules, StartupFailures) {
    ShowSettings flash = PackageSettings();
    flash.ShowKind = 1;
    const std::vector<int> excluded = {7, 9, 119};
    const kv::Bytes onlyExcluded = kv::EffectFlagsFor(excluded);
    using K = ConfigMessage::Box;

    {  // No package: the init message, the program ends, nothing read.
        Fixture f;
        f.Package(PackageBuilder().Settings(PackageSettings()).End(), "ABCD");
        kv::ConfigStartup r = f.Start();
        EXPECT_EQ(r.Messages, (std::vector<ConfigMessage>{{K::Message, kv::kConfigInitError}}));
        EXPECT_TRUE(r.EndProgram);
        EXPECT_EQ(f.settings, ShowSettings{});
        EXPECT_FALSE(f.store.KeyOpen());
    }
    {  // A picture show with only excluded styles: the effect message, then the program ends.
        Fixture f;
        f.GoodPackage(PackageSettings(), onlyExcluded);
        kv::ConfigStartup r = f.Start();
        EXPECT_EQ(r.Messages, (std::vector<ConfigMessage>{{K::Message, kv::kEffectDataError}}));
        EXPECT_TRUE(r.EndProgram);
    }
    {  // The same flags in a Flash show are fine.
        Fixture f;
        f.GoodPackage(flash, onlyExcluded);
        kv::ConfigStartup r = f.Start();
        EXPECT_TRUE(r.Messages.empty());
        EXPECT_FALSE(r.EndProgram);
    }
    {  // A bad tag after the settings: error box, design controls, settings read so far.
        Fixture f;
        f.Package(PackageBuilder().Settings(PackageSettings()).Raw(9, 0, {}).End());
        f.store.Put(kValueName, Binary(flash));
        kv::ConfigStartup r = f.Start();
        EXPECT_EQ(r.Messages, (std::vector<ConfigMessage>{{K::Error, kv::kInvalidTagMessage}}));
        EXPECT_FALSE(r.EndProgram);
        EXPECT_EQ(f.settings, PackageSettings());
        EXPECT_EQ(r.Controls.TrackPosition, 1);
        EXPECT_EQ(r.Controls.Interval, 8);
    }
    // A stored value of the wrong type or size: error box naming the value, design
    // controls, the package's settings.
    for (StoredValue bad : {StoredValue{StoredType::String, kv::test::Text("abc")},
                            StoredValue{StoredType::Dword, kv::Bytes(4, 1)},
                            StoredValue{StoredType::Binary, kv::Bytes(34, 1)}}) {
        Fixture f;
        f.GoodPackage();
        f.store.Put(kValueName, bad);
        kv::ConfigStartup r = f.Start();
        EXPECT_EQ(r.Messages, (std::vector<ConfigMessage>{{K::Error, "Invalid data type for 'SaverConfig-Holiday.scr'"}}));
        EXPECT_FALSE(r.EndProgram);
        EXPECT_EQ(f.settings, PackageSettings());
        EXPECT_EQ(r.Controls.QuitItem, 0);
        EXPECT_EQ(r.Controls.Interval, 8);
        EXPECT_FALSE(r.Controls.UseFrame);
    }
    {  // A key that cannot be opened: the package's values, quietly.
        Fixture f;
        f.GoodPackage();
        f.store.SetKeyOpenable(false);
        kv::ConfigStartup r = f.Start();
        EXPECT_TRUE(r.Messages.empty());
        EXPECT_EQ(r.Controls.QuitItem, 1);
        EXPECT_EQ(r.Controls.Interval, 12);
        EXPECT_EQ(r.Controls.TrackPosition, 1);
        EXPECT_EQ(f.settings, PackageSettings());
    }
}

TEST(ConfigRules, SaveWritesTheWholeRecordWithTheFiveUserFields) {
    Fixture f;
    f.GoodPackage();
    f.Start();
    kv::ApplyDialogInput(f.settings, 2, "25", true, 7);
    ASSERT_TRUE(kv::WriteStoredSettings(f.store, kProgram, f.settings));

    ShowSettings expected = PackageSettings();
    expected.QuitMode = 3;
    expected.IntervalSeconds = 25;
    expected.UseFrame = 1;
    expected.DesignWidth = 1600;
    expected.DesignHeight = 1200;
    auto bytes = expected.Encode();
    auto written = f.store.Get(kValueName);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Type, StoredType::Binary);
    EXPECT_EQ(written->Data, kv::Bytes(bytes.begin(), bytes.end()));

    // The stored copy then reads back into the same controls.
    Fixture g;
    g.GoodPackage();
    g.store.Put(kValueName, *written);
    kv::ConfigStartup r = g.Start();
    EXPECT_EQ(r.Controls.QuitItem, 2);
    EXPECT_EQ(r.Controls.Interval, 25);
    EXPECT_TRUE(r.Controls.UseFrame);
    EXPECT_EQ(r.Controls.TrackPosition, 7);

    // A key that cannot be opened: nothing written, reported as such.
    MemorySettingsStore closed;
    closed.SetKeyOpenable(false);
    EXPECT_FALSE(kv::WriteStoredSettings(closed, kProgram, f.settings));
    EXPECT_FALSE(closed.Get(kValueName));
}

TEST(ConfigRules, IntervalTextAndQuitItem) {
    const std::pair<const char*, int32_t> texts[] = {
        {"8", 8},       {" 42 ", 42},  {"-3", -3},     {"+5", 5},         {"0", 0},
        {"2147483647", 2147483647},    {"-2147483648", INT32_MIN},
        // Not a whole number: the interval shown stays.
        {"", 77},       {"abc", 77},   {"12s", 77},    {"1.5", 77},       {"-", 77},
        {"2147483648", 77},            {"99999999999999999999", 77},
    };
    for (auto [text, value] : texts) EXPECT_EQ(kv::ParseIntervalText(text, 77), value) << '"' << text << '"';

    ShowSettings s;
    s.IntervalSeconds = 10;
    const std::pair<int, int32_t> items[] = {{0, 1}, {4, 5}, {-1, 1}, {7, 5}};
    for (auto [item, mode] : items) {
        kv::ApplyDialogInput(s, item, "x", false, 1);
        EXPECT_EQ(s.QuitMode, mode) << item;
        EXPECT_EQ(s.IntervalSeconds, 10);
    }
    for (int32_t mode = 1; mode <= 5; ++mode) EXPECT_EQ(kv::QuitModeItem(mode), mode - 1);
}
