// The installer's names, its file layout and the install procedure, run on real files
// in a scratch folder with the system's part played by a recording host.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "TempDir.h"
#include "common/Error.h"
#include "common/Files.h"
#include "deployer/core/InstallNames.h"
#include "deployer/core/InstallProcedure.h"
#include "deployer/core/InstallerFile.h"
#include "package/LittleEndian.h"

namespace fs = std::filesystem;

namespace kv {
namespace {

// A minimal program image: PE headers with one section whose raw data ends at 0x400,
// followed by `trailing` bytes (as a symbol table would be).
Bytes FakeProgram(size_t trailing = 0) {
    Bytes b(0x400 + trailing, 0);
    b[0] = 'M';
    b[1] = 'Z';
    StoreInt32LE(&b[0x3C], 0x40);
    b[0x40] = 'P';
    b[0x41] = 'E';
    b[0x46] = 1;             // one section
    b[0x54] = 0;             // no optional header
    const size_t row = 0x40 + 24;
    StoreInt32LE(&b[row + 16], 0x200);  // raw size
    StoreInt32LE(&b[row + 20], 0x200);  // raw pointer
    for (size_t i = 0x400; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 7);
    return b;
}

Bytes FakePayload(size_t n) {
    Bytes p(n);
    for (size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(i * 31 + 5);
    const char trailer[] = "KVQ1";
    if (n >= 8) std::copy(trailer, trailer + 4, p.end() - 8);
    return p;
}

std::string U8(const fs::path& p) { return PathToUtf8(p); }

TEST(InstallNames, ScreensaverPathFromInstallerName) {
    struct Case {
        const char* Installer;
        const char* Folder;
        const char* Expected;
    } cases[] = {
        {"C:\\Downloads\\Install-Lagoon.exe", "C:\\WINDOWS\\system32\\", "C:\\WINDOWS\\system32\\Lagoon.scr"},
        {"C:\\Downloads\\install-Lagoon.exe", "C:\\WINDOWS\\system32\\", "C:\\WINDOWS\\system32\\install-Lagoon.scr"},
        {"C:\\Downloads\\Setup.exe", "C:\\WINDOWS\\system32\\", "C:\\WINDOWS\\system32\\Setup.scr"},
        {"D:Install-My.Show.exe", "C:\\S\\", "C:\\S\\My.Show.scr"},
        {"C:\\a.b\\Install-Lagoon", "C:\\s.d\\", "C:\\s.d\\Lagoon.scr"},
        {"C:\\x\\INSTALL-Lagoon.exe", "C:\\S\\", "C:\\S\\INSTALL-Lagoon.scr"},
        {"/tmp/in/Install-Lagoon.exe", "/tmp/out/", "/tmp/out/Lagoon.scr"},
    };
    for (const Case& c : cases) EXPECT_EQ(ScreensaverPath(c.Folder, c.Installer), c.Expected) << c.Installer;
    EXPECT_EQ(DestinationFolder("C:\\WINDOWS\\system32"), "C:\\WINDOWS\\system32\\");
    EXPECT_EQ(DestinationFolder("C:\\WINDOWS\\system32\\"), "C:\\WINDOWS\\system32\\");
    EXPECT_EQ(ProgramTitle("C:\\Downloads\\Install-Lagoon.Show.EXE"), "Install-lagoon");
    EXPECT_EQ(ProgramTitle("deployer.exe"), "deployer");
}

TEST(InstallerFile, LocatePayloadAcceptsOnlyAPayloadAfterTheProgram) {
    // File of 0x400 program bytes, 100 payload bytes and the count: 1128 bytes.
    const PayloadLocation ok = LocatePayload(1128, 100, 0x400, "I.exe");
    EXPECT_EQ(ok.Offset, 0x400u);
    EXPECT_EQ(ok.Length, 100u);
    EXPECT_EQ(LocatePayload(1128, 1124, std::nullopt, "I.exe").Offset, 0u);  // no readable headers

    struct Bad {
        uint64_t Size;
        int32_t Count;
    } bad[] = {
        {1128, 0},     // a bare program whose file ends in zeros
        {3, 0},        // too short for a count
        {1128, -5},
        {1128, 1125},  // reaches before the start of the file
        {1128, 101},   // starts inside the program's sections
    };
    for (const Bad& b : bad) {
        try {
            LocatePayload(b.Size, b.Count, 0x400, "I.exe");
            ADD_FAILURE() << "count " << b.Count << " accepted";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "This installer carries no screensaver: I.exe holds none at its end.");
        }
    }
}

TEST(InstallerFile, WrittenInstallerReadsBackItsPayload) {
    test::TempDir dir;
    const Bytes program = FakeProgram(300);  // a symbol table after the sections
    const Bytes payload = FakePayload(5000);
    const fs::path file = dir.path() / "Install-Lagoon.exe";
    WriteInstallerFile(file, program, payload);

    const Bytes all = ReadFileBytes(file);
    ASSERT_EQ(all.size(), program.size() + payload.size() + 4);
    EXPECT_EQ(LoadInt32LE(&all[all.size() - 4]), 5000);
    EXPECT_EQ(ProgramImageEnd(all), 0x400u);
    EXPECT_EQ(ReadPayload(file), payload);

    EXPECT_THROW(WriteInstallerFile(dir.path() / "empty.exe", program, {}), Error);
    EXPECT_FALSE(fs::exists(dir.path() / "empty.exe"));
    EXPECT_FALSE(ProgramImageEnd(payload).has_value());

    // The bare program: its last four bytes are no payload count that fits.
    WriteFileBytes(dir.path() / "bare.exe", program);
    EXPECT_THROW(ReadPayloadLocation(dir.path() / "bare.exe"), Error);
}

class RecordingHost : public InstallHost {
public:
    std::string Installer;
    std::map<std::string, std::string> ShortNames;
    std::optional<Bytes> Skin = Bytes{'s', 'k', 'i', 'n'};
    bool KeyOpens = true;
    bool ValueFails = false;
    bool AnswerYes = false;

    std::vector<std::string> Calls;
    std::string RegisteredPath;
    std::string OpenedPath;

    std::string InstallerPath() override { return Installer; }
    std::string ShortPath(const std::string& path) override {
        auto it = ShortNames.find(path);
        return it != ShortNames.end() && fs::exists(PathFromUtf8(path)) ? it->second : path;
    }
    bool SetScreensaverValue(const std::string& path) override {
        Calls.push_back("registry");
        if (!KeyOpens) return false;
        if (ValueFails) throw Error("Failed to set data for 'SCRNSAVE.EXE'");
        RegisteredPath = path;
        return true;
    }
    std::optional<Bytes> SkinResource() override {
        Calls.push_back("skin");
        return Skin;
    }
    bool AskRunNow() override {
        Calls.push_back("ask");
        return AnswerYes;
    }
    void OpenWithShell(const std::string& path) override {
        Calls.push_back("shell");
        OpenedPath = path;
    }
};

class InstallTest : public ::testing::Test {
public:
    test::TempDir dir;
    fs::path downloads = dir.path() / "downloads";
    fs::path system = dir.path() / "system32";
    Bytes payload = FakePayload(200000);  // more than one copy buffer
    RecordingHost host;

    void SetUp() override {
        fs::remove_all(system);
        fs::create_directories(downloads);
        fs::create_directories(system);
        host = RecordingHost{};
        host.Installer = U8(downloads / "Install-Lagoon.exe");
        WriteInstallerFile(downloads / "Install-Lagoon.exe", FakeProgram(64), payload);
    }
    std::string Folder() const { return U8(system / ""); }  // with its trailing separator
    std::string ErrorOf(InstallResult* out = nullptr) {
        try {
            InstallResult r = Install(host, Folder());
            if (out) *out = r;
        } catch (const Error& e) {
            return e.what();
        }
        return "";
    }
};

TEST_F(InstallTest, WritesThePayloadRegistersItWritesTheSkinAndAsks) {
    for (bool yes : {false, true}) {
        host.Calls.clear();
        host.AnswerYes = yes;
        InstallResult r;
        ASSERT_EQ(ErrorOf(&r), "");
        const std::string expected = U8(system / "Lagoon.scr");
        EXPECT_EQ(r.ScreensaverPath, expected);
        EXPECT_EQ(ReadFileBytes(system / "Lagoon.scr"), payload);
        EXPECT_EQ(host.RegisteredPath, expected);
        EXPECT_EQ(ReadFileBytes(system / "swing.mskn"), (Bytes{'s', 'k', 'i', 'n'}));
        const std::vector<std::string> calls = yes ? std::vector<std::string>{"registry", "skin", "ask", "shell"}
                                                   : std::vector<std::string>{"registry", "skin", "ask"};
        EXPECT_EQ(host.Calls, calls);
        EXPECT_EQ(r.Started, yes);
        EXPECT_EQ(host.OpenedPath, yes ? expected : "");
    }
}

TEST_F(InstallTest, OverAnExistingFileTruncatesAndUsesItsShortPath) {
    WriteFileBytes(system / "Lagoon.scr", Bytes(500000, 0xEE));
    const std::string shortName = U8(system / "LAGOON~1.SCR");
    host.ShortNames[U8(system / "Lagoon.scr")] = shortName;
    fs::copy_file(system / "Lagoon.scr", system / "LAGOON~1.SCR");  // the file under its short name
    ASSERT_EQ(ErrorOf(), "");
    EXPECT_EQ(ReadFileBytes(system / "LAGOON~1.SCR"), payload);
    EXPECT_EQ(host.RegisteredPath, shortName);
}

TEST_F(InstallTest, FailuresStopAtTheFailingStep) {
    struct Case {
        const char* Name;
        std::function<void(InstallTest&)> Arrange;
        const char* Text;
        bool ScreensaverRemains;
        std::vector<std::string> Calls;
    };
    const Case cases[] = {
        {"installer missing", [](InstallTest& t) { t.host.Installer = U8(t.downloads / "Gone.exe"); },
         "Cannot open file ", false, {}},
        {"no payload",
         [](InstallTest& t) { WriteFileBytes(t.downloads / "Install-Lagoon.exe", FakeProgram(64)); },
         "carries no screensaver", false, {}},
        {"count outside the file",
         [](InstallTest& t) {
             Bytes b = FakeProgram(64);
             b.insert(b.end(), {0xFF, 0xFF, 0xFF, 0x0F});
             WriteFileBytes(t.downloads / "Install-Lagoon.exe", b);
         },
         "carries no screensaver", false, {}},
        {"destination cannot be created", [](InstallTest& t) { fs::remove(t.system); },
         "Cannot create file ", false, {}},
        {"registry value fails", [](InstallTest& t) { t.host.ValueFails = true; },
         "Failed to set data for 'SCRNSAVE.EXE'", true, {"registry"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetUp();
        c.Arrange(*this);
        const std::string error = ErrorOf();
        EXPECT_NE(error.find(c.Text), std::string::npos) << error;
        EXPECT_EQ(fs::exists(system / "Lagoon.scr"), c.ScreensaverRemains);
        if (c.ScreensaverRemains) {
            EXPECT_EQ(ReadFileBytes(system / "Lagoon.scr"), payload);
        }
        EXPECT_FALSE(fs::exists(system / "swing.mskn"));
        EXPECT_EQ(host.Calls, c.Calls);
    }
}

TEST_F(InstallTest, CannotCreateNamesTheDestinationPath) {
    fs::create_directories(system / "Lagoon.scr");  // a folder where the file should go
    EXPECT_EQ(ErrorOf(), "Cannot create file " + U8(system / "Lagoon.scr"));
    EXPECT_TRUE(host.Calls.empty());
}

TEST_F(InstallTest, SkinFailuresAreIgnored) {
    fs::create_directories(system / "swing.mskn");  // cannot be written as a file
    InstallResult r;
    ASSERT_EQ(ErrorOf(&r), "");
    EXPECT_FALSE(r.SkinWritten);
    EXPECT_TRUE(fs::is_directory(system / "swing.mskn"));  // what was in the way stays
    EXPECT_EQ(host.Calls, (std::vector<std::string>{"registry", "skin", "ask"}));

    fs::remove(system / "swing.mskn");
    host.Skin.reset();  // no skin resource
    ASSERT_EQ(ErrorOf(&r), "");
    EXPECT_FALSE(fs::exists(system / "swing.mskn"));
    EXPECT_EQ(ReadFileBytes(system / "Lagoon.scr"), payload);
}

TEST_F(InstallTest, UnopenableRegistryKeyIsNoError) {
    host.KeyOpens = false;
    InstallResult r;
    ASSERT_EQ(ErrorOf(&r), "");
    EXPECT_FALSE(r.Registered);
    EXPECT_TRUE(fs::exists(system / "swing.mskn"));
    EXPECT_EQ(host.Calls.back(), "ask");
}

TEST(CopyPayload, AFailedCopyRemovesThePartlyWrittenFile) {
    test::TempDir dir;
    const fs::path source = dir.path() / "Install-X.exe";
    WriteFileBytes(source, Bytes(100000, 7));
    const std::string target = U8(dir.path() / "X.scr");
    WriteFileBytes(PathFromUtf8(target), Bytes(10, 1));  // an older screensaver of the same name
    // A payload that ends past the file (as when the file shrank under the installer).
    try {
        CopyPayload(U8(source), PayloadLocation{50000, 90000}, target);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    EXPECT_FALSE(fs::exists(PathFromUtf8(target)));

    CopyPayload(U8(source), PayloadLocation{60000, 40000}, target);
    EXPECT_EQ(ReadFileBytes(PathFromUtf8(target)), Bytes(40000, 7));
}

}  // namespace
}  // namespace kv
