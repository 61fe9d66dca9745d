#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/Error.h"
#include "common/Files.h"
#include "package/SaverPackage.h"
#include "PackageFixture.h"
#include "TempDir.h"

namespace fs = std::filesystem;
using kv::Bytes;
using kv::RecordTag;
using kv::ShowSettings;
using kv::test::MediaBody;
using kv::test::PackageBuilder;
using kv::test::Text;
using kv::test::TinyJpeg;

namespace {

// "无效的TagId" in UTF-8.
const char kInvalidTag[] = "\xE6\x97\xA0\xE6\x95\x88\xE7\x9A\x84TagId";

std::string Name(const fs::path& p) { return kv::PathToUtf8(p.filename()); }

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(Name(e.path()));
    return names;
}

// Records what the walk asks of the window, in order.
struct Window {
    std::vector<std::string> events;
    std::vector<kv::RecordInfo> records;
    kv::PackageState state;

    kv::PackageActions Actions() {
        kv::PackageActions a;
        a.StartMusic0 = [this](const fs::path& p) {
            // The track must be written and in the playlist before it starts.
            events.push_back("music0 " + Name(p) + " size " + std::to_string(fs::file_size(p)) + " playlist " +
                             std::to_string(state.MusicPlaylist.size()));
        };
        a.StartFlash0 = [this](const fs::path& p) {
            events.push_back("flash0 " + Name(p) + " size " + std::to_string(fs::file_size(p)));
        };
        a.StyleCheckFailed = [this] { events.push_back("style check failed"); };
        a.OnRecord = [this](const kv::RecordInfo& r) { records.push_back(r); };
        return a;
    }
};

class SaverPackage : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(temp); }

    bool Walk(const kv::ReadPolicy& policy = kv::kShowWindowPolicy) {
        return kv::ReadSaverPackage(program, temp, policy, window.Actions(), window.state);
    }
    // Runs the walk, expecting it to fail with this message (or, with prefix, a message starting so).
    void ExpectWalkError(const std::string& message, bool prefix = false,
                         const kv::ReadPolicy& policy = kv::kShowWindowPolicy) {
        try {
            Walk(policy);
            ADD_FAILURE() << "no error, expected " << message;
        } catch (const kv::Error& e) {
            std::string what = e.what();
            if (prefix) EXPECT_EQ(what.substr(0, message.size()), message) << what;
            else EXPECT_EQ(what, message);
        }
        // Nothing at all lands outside the temporary folder.
        EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"show.scr", "temp"}));
    }
    Bytes File(const std::string& name) const { return kv::ReadFileBytes(temp / name); }

    kv::test::TempDir dir;
    fs::path program = dir.path() / "show.scr";
    fs::path temp = dir.path() / "temp";
    Window window;
};

const Bytes kMusic0 = Text("ID3 music zero");
const Bytes kMusic1 = Text("MThd music one");
const Bytes kFlash0 = Text("FWS flash zero");
const Bytes kPlayer = Text("FWS player movie");
const Bytes kFrame = Text("BM frame tile");
const Bytes kPicture12 = kv::test::Concat(TinyJpeg(), Text("trailing bytes after EOI"));

ShowSettings FullSettings() {
    ShowSettings s = kv::test::PictureShow();
    s.PictureCount = 2;
    s.MusicCount = 2;
    s.FlashCount = 1;
    s.UseFrame = 1;
    return s;
}

PackageBuilder FullPackage() {
    PackageBuilder b;
    b.Settings(FullSettings())
        .Media(RecordTag::Music, 0, ".mp3", kMusic0)
        .Media(RecordTag::Picture, 0, ".jpg", TinyJpeg())
        .Media(RecordTag::Flash, 0, ".swf", kFlash0)
        .Media(RecordTag::Music, 1, ".mid", kMusic1)
        .Flags(kv::EffectFlagsFor(std::vector<int>{5, 7, 60}))
        .Media(RecordTag::Picture, 12, ".jpg", kPicture12)
        .Media(RecordTag::Flash, 255, ".swf", kPlayer)
        .Record(RecordTag::FramePicture, kFrame)
        .End();
    return b;
}

TEST_F(SaverPackage, EachWindowTakesItsOwnRecords) {
    struct Case {
        const char* window;
        kv::ReadPolicy policy;
        std::map<std::string, Bytes> files;
        std::vector<std::string> events;
        std::vector<std::string> playlist;
    };
    const std::map<std::string, Bytes> showFiles = {
        {"kvclip0.mp3", kMusic0}, {"kvpic0.jpg", TinyJpeg()},  {"kvclip0.swf", kFlash0}, {"kvclip1.mid", kMusic1},
        {"kvpic12.jpg", kPicture12}, {"nofile.swf", kPlayer}, {"Frame.jpg", kFrame}};
    const std::string music0 = "music0 kvclip0.mp3 size " + std::to_string(kMusic0.size()) + " playlist 1";
    const std::string flash0 = "flash0 kvclip0.swf size " + std::to_string(kFlash0.size());
    const Case cases[] = {
        {"show", kv::kShowWindowPolicy, showFiles, {music0, flash0}, {"kvclip0.mp3", "kvclip1.mid"}},
        {"preview",
         kv::kPreviewPolicy,
         {{"kvpic0.jpg", TinyJpeg()}, {"kvclip0.swf", kFlash0}, {"kvpic12.jpg", kPicture12}, {"nofile.swf", kPlayer}},
         {flash0},
         {}},
        {"config", kv::kConfigPolicy, {}, {}, {}},
    };
    FullPackage().Write(program);
    const auto listed = kv::ListRecords(program);
    ASSERT_TRUE(listed.has_value());
    ASSERT_EQ(listed->size(), 10u);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        fs::remove_all(temp);
        fs::create_directory(temp);
        window = Window{};
        ASSERT_TRUE(Walk(c.policy));

        std::set<std::string> expectedNames;
        for (const auto& [name, data] : c.files) {
            expectedNames.insert(name);
            EXPECT_EQ(File(name), data) << name;
        }
        EXPECT_EQ(Names(temp), expectedNames);
        EXPECT_EQ(window.events, c.events);
        std::vector<std::string> playlist;
        for (const auto& p : window.state.MusicPlaylist) {
            EXPECT_EQ(p.parent_path(), temp);
            playlist.push_back(Name(p));
        }
        EXPECT_EQ(playlist, c.playlist);
        EXPECT_EQ(window.state.Settings, FullSettings());
        EXPECT_EQ(window.state.Styles.Styles(), (std::vector<int>{5, 60}));

        // Every record head reaches OnRecord; media headers only for records taken.
        ASSERT_EQ(window.records.size(), listed->size());
        for (size_t i = 0; i < listed->size(); ++i) {
            const kv::RecordInfo& seen = window.records[i];
            EXPECT_EQ(seen.Offset, (*listed)[i].Offset);
            EXPECT_EQ(seen.Tag, (*listed)[i].Tag);
            EXPECT_EQ(seen.Length, (*listed)[i].Length);
            bool media = seen.Tag >= 1 && seen.Tag <= 3;
            EXPECT_EQ(seen.Media.has_value(), media && c.policy.Takes(RecordTag(seen.Tag))) << "record " << i;
        }
    }
    EXPECT_EQ((*listed)[0].Offset, Text("MZ-program-bytes").size());
    EXPECT_EQ((*listed)[6].Media->Index, 12);
    EXPECT_EQ((*listed)[9].Tag, 6);
}

TEST_F(SaverPackage, FileWithoutPackageReturnsFalseAndDoesNothing) {
    const Bytes cases[] = {Text("MZ a program without any package at its end"), Text("KVQ"), Bytes{},
                           PackageBuilder().Settings(FullSettings()).End().Build("KVR1")};
    for (const Bytes& file : cases) {
        kv::WriteFileBytes(program, file);
        window = Window{};
        EXPECT_FALSE(Walk());
        EXPECT_TRUE(window.events.empty());
        EXPECT_TRUE(window.records.empty());
        EXPECT_EQ(window.state.Settings, ShowSettings{});
        EXPECT_TRUE(fs::is_empty(temp));
        EXPECT_FALSE(kv::ListRecords(program).has_value());
        EXPECT_FALSE(kv::ReadTrailer(program).MagicMatches());
    }
}

TEST_F(SaverPackage, OnlyTheFirstThreeMagicCharactersCount) {
    for (std::string_view magic : {std::string_view("KVQ1"), std::string_view("KVQ2"), std::string_view("KVQ\0", 4)}) {
        PackageBuilder().Settings(FullSettings()).End().Write(program, magic);
        window = Window{};
        EXPECT_TRUE(Walk()) << magic;
        EXPECT_EQ(window.state.Settings, FullSettings());
        EXPECT_EQ(kv::ReadTrailer(program).Magic[3], magic[3]);
    }
}

TEST_F(SaverPackage, MissingEndRecordRunsIntoTheTrailerAsAnInvalidTag) {
    EXPECT_STREQ(kv::kInvalidTagMessage, kInvalidTag);
    PackageBuilder().Settings(FullSettings()).Media(RecordTag::Picture, 0, ".jpg", TinyJpeg()).Write(program);
    ExpectWalkError(kInvalidTag);
    EXPECT_EQ(File("kvpic0.jpg"), TinyJpeg()) << "records before the failure are acted on";
    EXPECT_THROW(kv::ListRecords(program), kv::Error);

    PackageBuilder().Settings(FullSettings()).Raw(7, 0, {}).End().Write(program);
    ExpectWalkError(kInvalidTag);
}

TEST_F(SaverPackage, NothingAfterTheEndRecordIsRead) {
    PackageBuilder()
        .Settings(FullSettings())
        .End()
        .Media(RecordTag::Picture, 1, ".jpg", Text("not a JPEG"))
        .Raw(200, -1, Text("garbage"))
        .Write(program);
    EXPECT_TRUE(Walk());
    EXPECT_TRUE(fs::is_empty(temp));
    EXPECT_EQ(window.records.size(), 2u);
    EXPECT_EQ(kv::ListRecords(program)->size(), 2u);
}

TEST_F(SaverPackage, LongSettingsRecordIsReadAsItsFirst33Bytes) {
    auto e = FullSettings().Encode();
    Bytes body(40, 0xEE);  // the record and 7 more bytes
    std::copy(e.begin(), e.end(), body.begin());
    PackageBuilder().Raw(0, 40, body).Media(RecordTag::Music, 0, ".mp3", kMusic0).End().Write(program);
    EXPECT_TRUE(Walk());
    EXPECT_EQ(window.state.Settings, FullSettings());
    EXPECT_EQ(File("kvclip0.mp3"), kMusic0) << "the next record starts 45 bytes after the settings record";
}

TEST_F(SaverPackage, StyleCheckUsesTheSettingsTakenSoFar) {
    Bytes onlyExcluded(123, 0);
    for (int s : {7, 9, 33, 119, 122}) onlyExcluded[s] = 1;
    Bytes twos(123, 2);
    twos[6] = 1;
    ShowSettings flash = FullSettings();
    flash.ShowKind = 1;
    ShowSettings other = FullSettings();
    other.ShowKind = 2;
    struct Case {
        const char* what;
        ShowSettings settings;
        Bytes flags;
        bool settingsAfterFlags;
        bool fails;
        std::vector<int> styles;
    };
    const Case cases[] = {
        {"picture show, only excluded styles", FullSettings(), onlyExcluded, false, true, {}},
        {"Flash show, only excluded styles", flash, onlyExcluded, false, false, {}},
        {"show kind 2, only excluded styles", other, onlyExcluded, false, false, {}},
        {"Flash settings after the flags", flash, onlyExcluded, true, true, {}},
        {"flag bytes of 2 disable", FullSettings(), twos, false, false, {6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PackageBuilder b;
        if (!c.settingsAfterFlags) b.Settings(c.settings);
        b.Flags(c.flags);
        if (c.settingsAfterFlags) b.Settings(c.settings);
        b.Media(RecordTag::Picture, 0, ".jpg", TinyJpeg()).End().Write(program);
        fs::remove(temp / "kvpic0.jpg");
        window = Window{};
        EXPECT_TRUE(Walk()) << "the walk goes on after the style check";
        EXPECT_EQ(window.events, c.fails ? std::vector<std::string>{"style check failed"} : std::vector<std::string>{});
        EXPECT_EQ(window.state.Styles.Styles(), c.styles);
        EXPECT_TRUE(fs::exists(temp / "kvpic0.jpg"));
    }
    kv::PackageState state;  // without a handler the walk goes on as well
    EXPECT_TRUE(kv::ReadSaverPackage(program, temp, kv::kConfigPolicy, {}, state));
}

TEST_F(SaverPackage, WithoutEffectFlagsThereIsNoStyleCheck) {
    PackageBuilder().Settings(FullSettings()).Media(RecordTag::Picture, 0, ".jpg", TinyJpeg()).End().Write(program);
    EXPECT_TRUE(Walk());
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(window.state.Styles.Count(), 0);
}

TEST_F(SaverPackage, FileNamesComeFromKindIndexAndExtension) {
    struct Case {
        RecordTag tag;
        uint8_t index;
        std::string ext;
        char filler;
        std::string expected;
    };
    const Case cases[] = {
        {RecordTag::Picture, 12, ".bmp", 'Z', "kvpic12.jpg"},
        {RecordTag::Music, 3, ".mid", 'X', "kvclip3.mid"},  // leftovers behind the extension
        {RecordTag::Music, 0, "", '.', "kvclip0"},
        {RecordTag::Flash, 7, ".swf", 'X', "kvclip7.swf"},
        {RecordTag::Flash, 255, ".xyz", 'X', "nofile.swf"},
        {RecordTag::Flash, 255, "../../a", '/', "nofile.swf"},  // the player's extension is never used
    };
    for (const Case& c : cases) {
        Bytes data = Text("data of " + c.expected);
        if (c.tag == RecordTag::Picture) data = TinyJpeg();
        PackageBuilder()
            .Settings(FullSettings())
            .Record(c.tag, MediaBody(c.index, c.ext, data, std::nullopt, c.filler))
            .End()
            .Write(program);
        fs::remove_all(temp);
        fs::create_directory(temp);
        ASSERT_TRUE(Walk()) << c.expected;
        EXPECT_EQ(Names(temp), std::set<std::string>{c.expected});
        EXPECT_EQ(File(c.expected), data);
    }
}

TEST_F(SaverPackage, EmptyBodiesGiveEmptyFiles) {
    PackageBuilder()
        .Settings(FullSettings())
        .Raw(1, 11, MediaBody(0, ".jpg", {}))
        .Raw(2, 11, MediaBody(0, ".wav", {}))
        .Raw(3, 11, MediaBody(1, ".swf", {}))
        .Raw(5, 0, {})
        .End()
        .Write(program);
    EXPECT_TRUE(Walk());
    EXPECT_EQ(Names(temp), (std::set<std::string>{"kvpic0.jpg", "kvclip0.wav", "kvclip1.swf", "Frame.jpg"}));
    for (const auto& e : fs::directory_iterator(temp)) EXPECT_EQ(fs::file_size(e.path()), 0u) << Name(e.path());
}

TEST_F(SaverPackage, PictureMustBeAJpegStream) {
    PackageBuilder()
        .Settings(FullSettings())
        .Media(RecordTag::Music, 0, ".mp3", kMusic0)
        .Media(RecordTag::Picture, 0, ".jpg", Text("GIF89a, not a JPEG"))
        .End()
        .Write(program);
    ExpectWalkError("JPEG error #", true);
    EXPECT_EQ(Names(temp), std::set<std::string>{"kvclip0.mp3"});
}

TEST_F(SaverPackage, UnwritableFileNamesItsFullName) {
    PackageBuilder().Settings(FullSettings()).Record(RecordTag::FramePicture, kFrame).End().Write(program);
    fs::remove(temp);
    try {
        Walk();
        ADD_FAILURE() << "no error";
    } catch (const kv::Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + kv::PathToUtf8(temp / "Frame.jpg"));
    }
}

// Lengths that would move the walk backwards, stand still, read a record short of its
// kind, or run into the trailer fail before the record is acted on.
TEST_F(SaverPackage, BadRecordLengthsFailBeforeTheRecordIsActedOn) {
    const int32_t toTrailer = static_cast<int32_t>(5 + MediaBody(1, ".jpg", TinyJpeg()).size() + 5);
    struct Case {
        const char* what;
        uint8_t tag;
        int32_t n;
        const char* message;
        const kv::ReadPolicy* policy;
    };
    const Case cases[] = {
        {"picture, N -1", 1, -1, "Invalid length -1 ", &kv::kShowWindowPolicy},
        {"picture, N -5 (the same record again)", 1, -5, "Invalid length -5 ", &kv::kShowWindowPolicy},
        {"music, N INT_MIN", 2, INT32_MIN, "Invalid length -2147483648 ", &kv::kShowWindowPolicy},
        {"picture, N 0", 1, 0, "Invalid length 0 ", &kv::kShowWindowPolicy},
        {"Flash, N 10", 3, 10, "Invalid length 10 ", &kv::kShowWindowPolicy},
        {"settings, N 32", 0, 32, "Invalid length 32 ", &kv::kShowWindowPolicy},
        {"effect flags, N 122", 4, 122, "Invalid length 122 ", &kv::kShowWindowPolicy},
        {"skipped picture, N -1", 1, -1, "Invalid length -1 ", &kv::kConfigPolicy},
        {"skipped music, N 5", 2, 5, "Invalid length 5 ", &kv::kPreviewPolicy},
        {"frame one byte into the trailer", 5, toTrailer + 1, "Stream read error", &kv::kShowWindowPolicy},
        {"music one byte into the trailer", 2, toTrailer + 1, "Stream read error", &kv::kShowWindowPolicy},
        {"skipped music into the trailer", 2, toTrailer + 1, "Stream read error", &kv::kConfigPolicy},
        {"frame, N INT_MAX", 5, INT32_MAX, "Stream read error", &kv::kShowWindowPolicy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // settings, music 0, the bad record's head, then picture 1 and the end record,
        // which the bad record's body would swallow.
        PackageBuilder()
            .Settings(FullSettings())
            .Media(RecordTag::Flash, 0, ".swf", kFlash0)
            .Raw(c.tag, c.n, {})
            .Media(RecordTag::Picture, 1, ".jpg", TinyJpeg())
            .End()
            .Write(program);
        fs::remove_all(temp);
        fs::create_directory(temp);
        ExpectWalkError(c.message, true, *c.policy);
        std::set<std::string> expected;
        if (c.policy->Flash) expected.insert("kvclip0.swf");
        EXPECT_EQ(Names(temp), expected);
        EXPECT_THROW(kv::ListRecords(program), kv::Error);
    }

    // A record that ends exactly at the trailer is whole; the trailer then reads as a tag.
    PackageBuilder().Settings(FullSettings()).Raw(5, toTrailer, {}).Media(RecordTag::Picture, 1, ".jpg", TinyJpeg()).End().Write(program);
    fs::remove_all(temp);
    fs::create_directory(temp);
    ExpectWalkError(kInvalidTag);
    EXPECT_EQ(File("Frame.jpg").size(), static_cast<size_t>(toTrailer));
}

TEST_F(SaverPackage, PackageLengthOutsideTheFileFails) {
    PackageBuilder b;
    b.Settings(FullSettings()).Record(RecordTag::FramePicture, kFrame).End();
    const int32_t wholeFile = static_cast<int32_t>(b.Build().size() - 8);
    struct Case { int32_t length; const char* message; };
    for (Case c : {Case{wholeFile + 1, "Stream read error"}, Case{INT32_MAX, "Stream read error"},
                   Case{-1, "Invalid package length -1"}, Case{INT32_MIN, "Invalid package length -2147483648"}}) {
        b.Write(program, "KVQ1", c.length);
        ExpectWalkError(c.message);
        EXPECT_TRUE(fs::is_empty(temp));
    }
}

TEST_F(SaverPackage, ExtensionsThatAreNoPlainExtensionAreRejected) {
    const std::string bad[] = {"/x",  "\\x", ".a/b", "c:x",  "..",  ".mp3..", std::string(".a\0b", 4),
                               ".\x01", ".\x7F", ".\xE9", "<",    ">",  "\"",    "|", "?", "*", "../../x"};
    for (RecordTag tag : {RecordTag::Music, RecordTag::Flash}) {
        for (const std::string& ext : bad) {
            SCOPED_TRACE(ext);
            PackageBuilder().Settings(FullSettings()).Media(tag, 0, ext, kMusic0).End().Write(program);
            ExpectWalkError("Invalid file extension '", true);
            EXPECT_TRUE(fs::is_empty(temp));
            EXPECT_THROW(kv::ListRecords(program), kv::Error);
        }
        // An extension length above 9 would reach past the header's 9 characters.
        PackageBuilder().Settings(FullSettings()).Record(tag, MediaBody(0, ".mp3", kMusic0, 10)).End().Write(program);
        ExpectWalkError("Invalid file extension length 10");
    }
}

TEST_F(SaverPackage, RepeatedEffectFlagRecordsNeverOverflowTheStyleList) {
    PackageBuilder b;
    b.Settings(FullSettings());
    for (int i = 0; i < 300; ++i) b.Flags(kv::test::AllFlags());
    b.Flags(kv::EffectFlagsFor(std::vector<int>{0})).End().Write(program);
    EXPECT_TRUE(Walk());
    EXPECT_EQ(window.state.Styles.Count(), 104);
    EXPECT_EQ(window.state.Styles.Styles().front(), 0);
}

TEST_F(SaverPackage, CountsAndIndexesThatDisagreeWithTheSettingsAreStillExtracted) {
    ShowSettings s = FullSettings();
    s.PictureCount = 1;
    s.MusicCount = 0;
    const Bytes second = kv::test::Concat(TinyJpeg(), Text("second"));
    PackageBuilder()
        .Settings(s)
        .Media(RecordTag::Picture, 0, ".jpg", TinyJpeg())
        .Media(RecordTag::Picture, 0, ".jpg", second)
        .Media(RecordTag::Picture, 255, ".jpg", TinyJpeg())
        .Media(RecordTag::Music, 5, ".mp3", kMusic0)
        .Media(RecordTag::Music, 5, ".mp3", kMusic1)
        .End()
        .Write(program);
    EXPECT_TRUE(Walk());
    EXPECT_EQ(Names(temp), (std::set<std::string>{"kvpic0.jpg", "kvpic255.jpg", "kvclip5.mp3"}));
    EXPECT_EQ(File("kvpic0.jpg"), second) << "a repeated index overwrites";
    EXPECT_EQ(File("kvclip5.mp3"), kMusic1);
    EXPECT_EQ(window.state.MusicPlaylist.size(), 2u);
    EXPECT_TRUE(window.events.empty()) << "no music index 0, nothing started";
}

TEST_F(SaverPackage, UnicodeFolderNames) {
    const fs::path program2 = dir.path() / kv::PathFromUtf8("\xE5\xB1\x8F\xE4\xBF\x9D.scr");  // "屏保.scr"
    const fs::path temp2 = temp / kv::PathFromUtf8("T\xC3\xA9mp");
    fs::create_directory(temp2);
    PackageBuilder().Settings(FullSettings()).Media(RecordTag::Music, 0, ".mp3", kMusic0).End().Write(program2);
    kv::PackageState state;
    EXPECT_TRUE(kv::ReadSaverPackage(program2, temp2, kv::kShowWindowPolicy, {}, state));
    EXPECT_EQ(kv::ReadFileBytes(temp2 / "kvclip0.mp3"), kMusic0);
    ASSERT_EQ(state.MusicPlaylist.size(), 1u);
    EXPECT_EQ(state.MusicPlaylist[0], temp2 / "kvclip0.mp3");
}

}  // namespace
