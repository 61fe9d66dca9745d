#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/Error.h"
#include "common/Files.h"
#include "package/PackageWriter.h"
#include "package/SaverPackage.h"
#include "PackageFixture.h"
#include "TempDir.h"

namespace fs = std::filesystem;
using kv::Bytes;
using kv::PackageWriter;
using kv::RecordTag;
using kv::ShowSettings;
using kv::test::PackageBuilder;
using kv::test::Text;
using kv::test::TinyJpeg;

namespace {

const Bytes kProgram = Text("MZ-program-bytes");

ShowSettings Counts(int pictures, int music, int flash) {
    ShowSettings s = kv::test::PictureShow();
    s.PictureCount = pictures;
    s.MusicCount = music;
    s.FlashCount = flash;
    return s;
}

TEST(PackageWriter, OutputIsTheExactLayoutAndReadsBack) {
    kv::test::TempDir dir;
    const fs::path out = dir.path() / "show.scr";
    const ShowSettings settings = Counts(2, 2, 1);
    const Bytes flags = kv::DefaultEffectFlags();
    const Bytes picture1 = kv::test::Concat(TinyJpeg(), Text("tail"));
    const Bytes music0 = Text("music 0"), music1 = Text("music 1"), flash0 = Text("flash 0");
    const Bytes player = Text("player"), frame = Text("BM frame");
    {
        kv::AtomicFileWriter file(out);
        file.Write(kProgram);
        PackageWriter w(file);
        w.AddSettings(settings);
        w.AddEffectFlags(flags);
        w.AddMedia(RecordTag::Music, 0, ".mp3", music0);
        w.AddMedia(RecordTag::Picture, 1, ".jpg", picture1);
        w.AddMedia(RecordTag::Music, 1, ".MID", music1);
        w.AddMedia(RecordTag::Picture, 0, ".jpg", TinyJpeg());
        w.AddMedia(RecordTag::Flash, 255, ".swf", player);
        w.AddMedia(RecordTag::Flash, 0, ".swf", flash0);
        w.AddFramePicture(frame);
        w.Finish();
        file.Commit();
    }
    const Bytes expected = PackageBuilder(kProgram)
                               .Settings(settings)
                               .Flags(flags)
                               .Media(RecordTag::Music, 0, ".mp3", music0)
                               .Media(RecordTag::Picture, 1, ".jpg", picture1)
                               .Media(RecordTag::Music, 1, ".MID", music1)
                               .Media(RecordTag::Picture, 0, ".jpg", TinyJpeg())
                               .Media(RecordTag::Flash, 255, ".swf", player)
                               .Media(RecordTag::Flash, 0, ".swf", flash0)
                               .Record(RecordTag::FramePicture, frame)
                               .End()
                               .Build("KVQ1");
    EXPECT_EQ(kv::ReadFileBytes(out), expected);

    const fs::path temp = dir.path() / "temp";
    fs::create_directory(temp);
    kv::PackageState state;
    ASSERT_TRUE(kv::ReadSaverPackage(out, temp, kv::kShowWindowPolicy, {}, state));
    EXPECT_EQ(state.Settings, settings);
    EXPECT_EQ(state.Styles.Count(), 103);
    const std::pair<const char*, Bytes> files[] = {{"kvclip0.mp3", music0}, {"kvclip1.MID", music1},
                                                   {"kvpic0.jpg", TinyJpeg()}, {"kvpic1.jpg", picture1},
                                                   {"kvclip0.swf", flash0}, {"nofile.swf", player},
                                                   {"Frame.jpg", frame}};
    for (const auto& [name, data] : files) EXPECT_EQ(kv::ReadFileBytes(temp / name), data) << name;
}

// Each rule: the steps before the broken one succeed, the last step throws and writes nothing.
TEST(PackageWriter, BrokenRulesAreRejectedWithoutWriting) {
    using Step = std::function<void(PackageWriter&)>;
    const Bytes jpeg = TinyJpeg();
    const Bytes flags = kv::DefaultEffectFlags();
    auto settings = [](int p, int m, int f) { return Step([=](PackageWriter& w) { w.AddSettings(Counts(p, m, f)); }); };
    auto media = [](RecordTag t, int i, std::string ext, Bytes data) {
        return Step([=](PackageWriter& w) { w.AddMedia(t, static_cast<uint8_t>(i), ext, data); });
    };
    const Step addFlags = [&](PackageWriter& w) { w.AddEffectFlags(flags); };
    const Step finish = [](PackageWriter& w) { w.Finish(); };
    const Bytes clip = Text("clip");
    struct Case {
        const char* rule;
        std::vector<Step> steps;
    };
    ShowSettings negative = Counts(-1, 0, 0);
    const Case cases[] = {
        {"media before the settings", {media(RecordTag::Picture, 0, ".jpg", jpeg)}},
        {"flags before the settings", {addFlags}},
        {"finish without settings", {finish}},
        {"two settings records", {settings(1, 0, 0), settings(1, 0, 0)}},
        {"negative count", {[=](PackageWriter& w) { w.AddSettings(negative); }}},
        {"more pictures than indexes", {settings(257, 0, 0)}},
        {"Flash count reaching the player's index", {settings(0, 0, 256)}},
        {"two effect-flags records", {settings(0, 0, 0), addFlags, addFlags}},
        {"effect flags of 122 bytes", {settings(0, 0, 0), [](PackageWriter& w) { w.AddEffectFlags(Bytes(122, 1)); }}},
        {"no effect-flags record", {settings(0, 0, 0), finish}},
        {"a counted picture missing", {settings(2, 0, 0), addFlags, media(RecordTag::Picture, 1, ".jpg", jpeg), finish}},
        {"a counted Flash movie missing", {settings(0, 0, 1), addFlags, media(RecordTag::Flash, 255, ".swf", clip), finish}},
        {"picture index beyond the count", {settings(2, 0, 0), media(RecordTag::Picture, 2, ".jpg", jpeg)}},
        {"picture index twice", {settings(2, 0, 0), media(RecordTag::Picture, 0, ".jpg", jpeg), media(RecordTag::Picture, 0, ".jpg", jpeg)}},
        {"music out of order", {settings(0, 2, 0), media(RecordTag::Music, 1, ".mp3", clip)}},
        {"player movie twice", {settings(0, 0, 0), media(RecordTag::Flash, 255, ".swf", clip), media(RecordTag::Flash, 255, ".swf", clip)}},
        {"extension with a separator", {settings(0, 1, 0), media(RecordTag::Music, 0, "/../x", clip)}},
        {"extension of 10 characters", {settings(0, 1, 0), media(RecordTag::Music, 0, ".abcdefghi", clip)}},
        {"music and Flash on one file name", {settings(0, 1, 1), media(RecordTag::Music, 0, ".swf", clip), media(RecordTag::Flash, 0, ".SWF", clip)}},
        {"picture that is no JPEG", {settings(1, 0, 0), media(RecordTag::Picture, 0, ".jpg", Text("not a JPEG"))}},
        {"settings as a media record", {settings(0, 0, 0), media(RecordTag::Settings, 0, ".x", clip)}},
        {"two frame pictures",
         {settings(0, 0, 0), [](PackageWriter& w) { w.AddFramePicture(Text("a")); },
          [](PackageWriter& w) { w.AddFramePicture(Text("b")); }}},
        {"a record after the end", {settings(0, 0, 0), addFlags, finish, [](PackageWriter& w) { w.AddFramePicture(Text("a")); }}},
    };
    kv::test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        kv::AtomicFileWriter file(dir.path() / "out.scr");
        file.Write(kProgram);
        PackageWriter w(file);
        for (size_t i = 0; i + 1 < c.steps.size(); ++i) ASSERT_NO_THROW(c.steps[i](w)) << "step " << i;
        const uint64_t before = file.Size();
        EXPECT_THROW(c.steps.back()(w), kv::Error);
        EXPECT_EQ(file.Size(), before);
    }
}

TEST(PackageWriter, SmallestPackageAndUncountedPlayerMovie) {
    kv::test::TempDir dir;
    const fs::path out = dir.path() / "flash.scr";
    ShowSettings s = Counts(0, 0, 0);
    s.ShowKind = 1;
    {
        kv::AtomicFileWriter file(out);
        file.Write(kProgram);
        PackageWriter w(file);
        w.AddSettings(s);
        w.AddEffectFlags(Bytes(123, 0));
        w.AddMedia(RecordTag::Flash, 255, ".swf", Text("player"));
        w.Finish();
        EXPECT_EQ(w.Length(), 5 + 33 + 5 + 123 + 5 + 11 + 6 + 5);
        file.Commit();
    }
    const auto records = kv::ListRecords(out);
    ASSERT_TRUE(records.has_value());
    ASSERT_EQ(records->size(), 4u);
    EXPECT_EQ((*records)[2].Media->Index, 255);
    EXPECT_EQ(kv::ReadTrailer(out).Length, 5 + 33 + 5 + 123 + 5 + 11 + 6 + 5);
}

}  // namespace
