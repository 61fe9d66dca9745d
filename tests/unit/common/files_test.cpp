#include <gtest/gtest.h>

#include <filesystem>

#include "common/Error.h"
#include "common/Files.h"
#include "TempDir.h"

namespace fs = std::filesystem;

TEST(Files, AtomicWriterLeavesNothingUntilCommit) {
    kv::test::TempDir dir;
    fs::path out = dir.path() / kv::PathFromUtf8("d\xC3\xA9mo \xE5\x9B\xBE.scr");  // "démo 图.scr"
    {
        kv::AtomicFileWriter writer(out);
        writer.Write(std::vector<uint8_t>{1, 2, 3});
        EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_TRUE(fs::is_empty(dir.path())) << "an abandoned write must remove its temporary file";

    kv::AtomicFileWriter writer(out);
    writer.Write(std::vector<uint8_t>{4, 5});
    writer.Commit();
    EXPECT_EQ(kv::ReadFileBytes(out), (kv::Bytes{4, 5}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(Files, ErrorsNameTheFile) {
    kv::test::TempDir dir;
    fs::path missing = dir.path() / "no-such-folder" / "x.bin";
    try {
        kv::WriteFileBytes(missing, kv::Bytes{1});
        FAIL() << "writing into a missing folder must fail";
    } catch (const kv::Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + kv::PathToUtf8(missing));
    }
    EXPECT_THROW(kv::ReadFileBytes(missing), kv::Error);
}

TEST(Files, FormatFillsPatterns) {
    EXPECT_EQ(kv::Format("JPEG error #%d", 42), "JPEG error #42");
    EXPECT_EQ(kv::Format("Invalid data type for '%s'", "SaverConfig-a.scr"), "Invalid data type for 'SaverConfig-a.scr'");
}
